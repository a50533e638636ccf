// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "keyboard.h"

#include <QApplication>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QPushButton>

EnterPressesButtons::EnterPressesButtons(QWidget *window) : QObject(window)
{
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->installEventFilter(this);
}

bool EnterPressesButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers(), QStringLiteral(" "),
                    key->isAutoRepeat());
    QCoreApplication::sendEvent(watched, &space);
    return true;
}

void showFocusClearly(QWidget *window)
{
    // Qt's styles draw the focus once the window has seen a key move it.
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    auto *ring = new QFocusFrame(window);
    ring->setWidget(window->focusWidget());
    QObject::connect(qApp, &QApplication::focusChanged, ring,
                     [window, ring](QWidget *, QWidget *now) {
                         if (now && now->window() == window)
                             ring->setWidget(now);
                     });
}
