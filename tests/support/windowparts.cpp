// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowparts.h"

#include "device_link/serialport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWidget>

using namespace DeviceLink;

WarningAnswerer::WarningAnswerer(QWidget *mainWindow) : m_mainWindow(mainWindow)
{
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &WarningAnswerer::answer);
    poll->start(5);
}

void WarningAnswerer::answer()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    SeenWarning seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttonCount = int(box->buttons().size());
    seen.mainWindowVisible = m_mainWindow && m_mainWindow->isVisible();
    m_seen.append(seen);
    if (m_whileOpen)
        m_whileOpen();
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
}

WindowParts::WindowParts(QWidget *window)
    : window(window), Lbl1(window->findChild<QLabel *>("Lbl1")),
      ComboCom(window->findChild<QComboBox *>("ComboCom")),
      Timer1(window->findChild<QTimer *>("Timer1")), Coom1(window->findChild<SerialPort *>("Coom1"))
{ }

QPushButton *WindowParts::button(const QString &name) const
{
    return window->findChild<QPushButton *>(name);
}

void slowDownRealTicks(const WindowParts &parts)
{
    parts.Timer1->start(3600 * 1000);
}

void fireTick(const WindowParts &parts)
{
    QTimerEvent tick(parts.Timer1->timerId());
    QCoreApplication::sendEvent(parts.Timer1, &tick);
}

bool WindowWithoutDevice::show()
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}
