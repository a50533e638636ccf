// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portlistaccessible.h"

#include "portlist.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace {
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

QAccessibleInterface *describePortList(const QString &className, QObject *object)
{
    if (className != QLatin1String("PortList"))
        return nullptr;
    return new PortListDescription(static_cast<PortList *>(object));
}
} // namespace

void describePortListsToScreenReaders()
{
    static const bool installed = [] {
        QAccessible::installFactory(describePortList);
        return true;
    }();
    Q_UNUSED(installed);
}
