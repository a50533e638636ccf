// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "accessibility.h"

#include "portlistaccessible.h"

#include <QAccessibleWidget>
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
    return nullptr;
}
} // namespace

void describeToScreenReaders(QWidget *window, const ScreenReaderParts &parts)
{
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        describePortListsToScreenReaders();
        return true;
    }();
    Q_UNUSED(installed);
    window->setProperty(PartsProperty, QStringList {parts.grouping, parts.reply});
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
