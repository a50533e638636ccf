// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

namespace {
// Named by its label ("Recepción:"), as Qt names a widget that is a label's buddy, and
// described by the reply it shows.
class ReplyDescription : public QAccessibleWidget
{
public:
    explicit ReplyDescription(QLabel *label) : QAccessibleWidget(label, QAccessible::Notification)
    { }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description)
            return static_cast<const QLabel *>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

// The port list's chosen entry as a selection, where Qt has the interface for it (6.5 on), as
// Qt's own combo box has it: a screen reader that is told the list's selection changed reads
// that entry, hint and all, as the drop-down's list of entries describes it.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
class ChosenEntrySelection : public QAccessibleSelectionInterface
{
public:
    explicit ChosenEntrySelection(const QComboBox *list) : m_list(list) { }

    void *chosenEntryInterface(QAccessible::InterfaceType type)
    {
        return type == QAccessible::SelectionInterface
            ? static_cast<QAccessibleSelectionInterface *>(this)
            : nullptr;
    }
    int selectedItemCount() const override { return chosenEntry() ? 1 : 0; }
    QList<QAccessibleInterface *> selectedItems() const override
    {
        if (QAccessibleInterface *entry = chosenEntry())
            return {entry};
        return {};
    }
    bool select(QAccessibleInterface *) override { return false; }
    bool unselect(QAccessibleInterface *) override { return false; }
    bool selectAll() override { return false; }
    bool clear() override { return false; }

private:
    QAccessibleInterface *chosenEntry() const
    {
        QAccessibleInterface *entries = QAccessible::queryAccessibleInterface(m_list->view());
        QAccessibleTableInterface *table = entries ? entries->tableInterface() : nullptr;
        if (!table || m_list->currentIndex() < 0)
            return nullptr;
        return table->cellAt(m_list->currentIndex(), m_list->modelColumn());
    }

    const QComboBox *m_list;
};
#else
class ChosenEntrySelection
{
public:
    explicit ChosenEntrySelection(const QComboBox *) { }

    void *chosenEntryInterface(QAccessible::InterfaceType) { return nullptr; }
};
#endif

// On Linux Qt names a combo box after its current entry; the port list is named "Puerto COM",
// as its label reads, and its entry is its value and its text, where Orca looks for a value
// when nothing is selected in the list. Its one child is its list of entries.
class PortListDescription : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public ChosenEntrySelection
{
public:
    explicit PortListDescription(QComboBox *list)
        : QAccessibleWidget(list, QAccessible::ComboBox), ChosenEntrySelection(list)
    { }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? entry() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (void *selection = chosenEntryInterface(type))
            return selection;
        return QAccessibleWidget::interface_cast(type);
    }

    // The entry as read-only text, selected whole as the chosen entry is, without a caret.
    QString text(int start, int end) const override { return entry().mid(start, end - start); }
    int characterCount() const override { return int(entry().size()); }
    void selection(int index, int *start, int *end) const override
    {
        *start = 0;
        *end = index == 0 ? characterCount() : 0;
    }
    int selectionCount() const override { return entry().isEmpty() ? 0 : 1; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *start, int *end) const override
    {
        *start = *end = 0;
        return {};
    }

private:
    QComboBox *list() const { return static_cast<QComboBox *>(widget()); }
    QString entry() const { return list()->currentText(); }
};

// Kept on the window as [grouping, reply], so that it goes with the window.
constexpr char PartsProperty[] = "screenReaderParts";

QAccessibleInterface *describe(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    const QStringList parts = widget->window()->property(PartsProperty).toStringList();
    if (parts.size() != 2)
        return nullptr;
    if (widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (widget->objectName() == parts.at(0))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (auto *label = qobject_cast<QLabel *>(widget); label && label->objectName() == parts.at(1))
        return new ReplyDescription(label);
    if (auto *list = qobject_cast<QComboBox *>(widget))
        return new PortListDescription(list);
    return nullptr;
}
} // namespace

void describeToScreenReaders(QWidget *window, const ScreenReaderParts &parts)
{
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    Q_UNUSED(installed);
    window->setProperty(PartsProperty, QStringList {parts.grouping, parts.reply});
}

void announceNewEntry(QComboBox *list)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // Qt tells of the list's new selection itself, and a screen reader reads the entry it
    // selects, with the entry's hint; a new description of the list would be read too.
    Q_UNUSED(list);
#else
    // Without a selection to tell of, the entry is told as new text, and the list's
    // description follows it. Only the new text: Orca says "Selection deleted" when told that
    // the old one went.
    list->setAccessibleDescription(
        list->itemData(list->currentIndex(), Qt::AccessibleDescriptionRole).toString());
    QAccessibleTextInsertEvent inserted(list, 0, list->currentText());
    QAccessible::updateAccessibility(&inserted);
#endif
}

void announceCurrentEntry(QAbstractItemView *entries)
{
    // A list view's entry n is its child n.
    const QModelIndex current = entries->currentIndex();
    if (!entries->hasFocus() || !current.isValid())
        return;
    QAccessibleEvent focus(entries, QAccessible::Focus);
    focus.setChild(current.row());
    QAccessible::updateAccessibility(&focus);
}

void showReply(QLabel *replyLabel)
{
    // Screen readers keep what they were last told of the description, which is the reply.
    QAccessibleEvent described(replyLabel, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    // The first reply shows the label, and Qt tells of its showing itself.
    if (replyLabel->isHidden()) {
        replyLabel->show();
        return;
    }
    QAccessibleEvent shown(replyLabel, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
