// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowondevice.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QPushButton>
#include <QTest>
#include <QTimer>

WindowOnDevice::WindowOnDevice()
{
    device.linkAsPort(config.path(), 1);
    connect(&device, &PseudoTerminal::received, this, [this](const QByteArray &bytes) {
        received += bytes;
        if (onCommand && received.size() % 6 == 0)
            onCommand(received.right(6));
    });
}

WindowOnDevice::~WindowOnDevice()
{
    parts.reset();
    window.reset();
}

bool WindowOnDevice::start()
{
    window = std::make_unique<Telvaronix>();
    parts = std::make_unique<WindowParts>(window.get());
    slowDownRealTicks(*parts);
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) &&
        QTest::qWaitFor([this] { return device.isHeldOpen(); });
}

void WindowOnDevice::press(int button)
{
    ++pressDepth;
    QTest::mouseClick(parts->commandButton(button), Qt::LeftButton);
    --pressDepth;
}

void WindowOnDevice::answerEachCommandWith(const QByteArray &reply)
{
    onCommand = [this, reply](const QByteArray &) { device.write(reply); };
}

void Script::start()
{
    QTimer::singleShot(10, this, [this] { runNext(); });
}

void Script::runNext()
{
    if (m_steps.empty())
        return;
    auto step = std::move(m_steps.front());
    m_steps.pop_front();
    start();
    step();
}
