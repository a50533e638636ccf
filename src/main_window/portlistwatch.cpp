// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portlistwatch.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>

PortListWatch::PortListWatch(QComboBox *list, QWidget *window)
    : QObject(window), m_list(list), m_view(list->view()), m_dropDown(list->view()->window()),
      m_window(window)
{
    m_list->installEventFilter(this);
    m_dropDown->installEventFilter(this);
    // Every other control that a click gives the focus to.
    for (QWidget *control : m_window->findChildren<QWidget *>()) {
        if (control != m_list && control->window() == m_window &&
            (control->focusPolicy() & Qt::ClickFocus))
            control->installEventFilter(this);
    }
}

bool PortListWatch::eventFilter(QObject *watched, QEvent *event)
{
    // Compared by address only: the drop-down sends events while the list is being destroyed.
    if (watched == m_list) {
        if (event->type() == QEvent::FocusIn) {
            m_holdsFocus = true;
            emit focused();
        } else if (isFocusLoss(event)) {
            leave();
        }
    } else if (watched == m_dropDown) {
        if (event->type() == QEvent::Show)
            emit opened();
    } else if (isPressThatTookTheFocus(watched, event)) {
        leave();
    }
    return false;
}

bool PortListWatch::isFocusLoss(const QEvent *event) const
{
    // A window that is closing hides, and takes the focus from the list as it goes.
    if (event->type() != QEvent::FocusOut || !m_window->isVisible())
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    return !m_view->isVisible() && !QApplication::activePopupWidget();
}

bool PortListWatch::isPressThatTookTheFocus(const QObject *control, const QEvent *event) const
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    // In an active window the list has had its focus-out by now. In one that is not, Qt has
    // just made the pressed control the window's focus without a word to the list, and it may
    // have activated the window since, with the focus already there.
    return m_holdsFocus && m_window->focusWidget() == control;
}

void PortListWatch::leave()
{
    m_holdsFocus = false;
    emit left();
}
