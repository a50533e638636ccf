// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portlistwatch.h"

#include "pressonitsway.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTimer>

PortListWatch::PortListWatch(QComboBox *list, QWidget *window)
    : QObject(window), m_list(list), m_view(list->view()), m_entries(list->view()->viewport()),
      m_dropDown(list->view()->window()), m_window(window)
{
    for (QWidget *watched : {static_cast<QWidget *>(m_list), static_cast<QWidget *>(m_view),
                             m_entries, m_dropDown, m_window})
        watched->installEventFilter(this);
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
    const QEvent::Type type = event->type();
    if (watched == m_window) {
        if (type == QEvent::Close)
            m_windowClosing = true;
        else if (type == QEvent::Show)
            m_windowClosing = false;
    } else if (watched == m_list) {
        if (type == QEvent::FocusIn) {
            m_holdsFocus = true;
            emit focused();
        } else if (type == QEvent::ToolTip) {
            emit hintWanted(m_list->currentIndex());
        } else if (isFocusLoss(event) && leave()) {
            StalePressFilter::dropNextPress();
        }
    } else if (watched == m_entries) {
        if (type == QEvent::ToolTip) {
            const QPoint at = static_cast<const QHelpEvent *>(event)->pos();
            emit hintWanted(m_view->indexAt(at).row());
        }
    } else if (watched == m_view) {
        if (type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            highlightChosenEntry();
    } else if (watched == m_dropDown) {
        if (type == QEvent::Show) {
            highlightChosenEntry();
            emit opened();
        } else if (type == QEvent::Hide) // the entry chosen there becomes current after this
            QTimer::singleShot(0, this, &PortListWatch::closed);
    } else if (isPressThatTookTheFocus(watched, event)) {
        return leave();
    }
    return false;
}

void PortListWatch::highlightChosenEntry()
{
    // From Qt 6.8 on, the drop-down keeps the entry last highlighted when it is dismissed, tells
    // screen readers it is selected, and opens on it again, where Return would choose it. Done
    // quietly: told of a new current entry, a screen reader would read it as the focus, and
    // not the list that takes the focus back.
    const QSignalBlocker quietly(m_view->selectionModel());
    m_view->selectionModel()->setCurrentIndex(
        m_list->model()->index(m_list->currentIndex(), m_list->modelColumn()),
        QItemSelectionModel::ClearAndSelect);
    m_view->viewport()->update();
}

bool PortListWatch::isFocusLoss(const QEvent *event) const
{
    if (event->type() != QEvent::FocusOut || m_windowClosing)
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

bool PortListWatch::leave()
{
    m_holdsFocus = false;
    if (QGuiApplication::mouseButtons() == Qt::NoButton) {
        emit left();
        return false;
    }
    const ReleaseHold hold(m_window);
    emit left();
    // A warning shown meanwhile took the release.
    return !hold.holdsRelease() && QGuiApplication::mouseButtons() == Qt::NoButton;
}
