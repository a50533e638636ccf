// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "clickhold.h"

#include "doevents.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {
bool isPress(const QEvent *event)
{
    return event->type() == QEvent::MouseButtonPress ||
        event->type() == QEvent::MouseButtonDblClick;
}
} // namespace

ClickHold::ClickHold(QWidget *window, std::function<bool()> windowClosed)
    : QObject(window), m_window(window), m_windowClosed(std::move(windowClosed))
{
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->window() == window && (control->focusPolicy() & Qt::ClickFocus))
            control->installEventFilter(this);
    }
}

ClickHold::~ClickHold()
{
    if (m_holding)
        QCoreApplication::instance()->removeEventFilter(this);
}

void ClickHold::begin()
{
    if (m_changes++ > 0 || QGuiApplication::mouseButtons() == Qt::NoButton)
        return;
    m_holding = true;
    m_heldFor = m_window->windowHandle();
    m_releaseTaken = false;
    // On the application: its filters see the release as it reaches the window, before the
    // window passes it on to a control.
    QCoreApplication::instance()->installEventFilter(this);
}

void ClickHold::end()
{
    if (--m_changes > 0 || !m_holding)
        return;
    m_holding = false;
    QCoreApplication::instance()->removeEventFilter(this);
    if (m_heldRelease) {
        // Queued, so that it comes after the press, which goes on to its control right now.
        if (m_heldFor)
            QCoreApplication::postEvent(m_heldFor, m_heldRelease.release());
        m_heldRelease.reset();
    } else if (QGuiApplication::mouseButtons() == Qt::NoButton) {
        m_dropStalePress = true;
        QTimer::singleShot(0, this, [this] { m_dropStalePress = false; });
    }
}

bool ClickHold::DoEvents()
{
    ::DoEvents(m_holding ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    return !m_windowClosed();
}

bool ClickHold::eventFilter(QObject *watched, QEvent *event)
{
    if (isPress(event)) {
        // Seen on the control it goes to, once whatever set the change off has let it pass.
        if (!m_dropStalePress || !watched->isWidgetType())
            return false;
        m_dropStalePress = false;
        return true;
    }
    if (!m_holding || !m_heldFor || watched != m_heldFor)
        return false;
    // A warning blocks the window while it is open and takes the release then: from then on
    // the press is stale, whenever its release comes.
    if (event->type() == QEvent::WindowBlocked) {
        m_releaseTaken = true;
        m_heldRelease.reset();
    }
    if (event->type() != QEvent::MouseButtonRelease || m_releaseTaken)
        return false;
    m_heldRelease.reset(static_cast<QMouseEvent *>(event)->clone());
    return true;
}
