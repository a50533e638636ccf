// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "pressonitsway.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

StalePressFilter::StalePressFilter(QObject *parent) : QObject(parent) { }

void StalePressFilter::dropNextPress()
{
    auto *filter = new StalePressFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
    QTimer::singleShot(0, filter, &QObject::deleteLater);
}

bool StalePressFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    QCoreApplication::instance()->removeEventFilter(this);
    deleteLater();
    return true;
}

ReleaseHold::ReleaseHold(const QWidget *window) : m_window(window->windowHandle())
{
    // On the application: its filters see the release as it reaches the window, before the
    // window passes it on to a widget.
    QCoreApplication::instance()->installEventFilter(this);
}

ReleaseHold::~ReleaseHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    if (m_held && m_window)
        QCoreApplication::postEvent(m_window, m_held.release());
}

bool ReleaseHold::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || !m_window)
        return false;
    // A warning blocks the window while it is open and takes the release then: from then on
    // the press is stale, whenever its release comes.
    if (event->type() == QEvent::WindowBlocked) {
        m_blocked = true;
        m_held.reset();
    }
    if (event->type() != QEvent::MouseButtonRelease || m_blocked)
        return false;
    m_held.reset(static_cast<QMouseEvent *>(event)->clone());
    return true;
}
