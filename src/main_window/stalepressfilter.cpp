// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "stalepressfilter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

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
