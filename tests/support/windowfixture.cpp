// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowfixture.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

WindowFixture::WindowFixture() = default;

WindowFixture::~WindowFixture() = default;

void WindowFixture::init()
{
    m_config = std::make_unique<IsolatedConfig>();
    m_warnings = std::make_unique<WarningAnswerer>();
}

void WindowFixture::cleanup()
{
    closeWindow();
    onCommand = nullptr;
    m_warnings.reset();
    m_devices.clear();
    m_received.clear();
    m_config.reset();
}

PseudoTerminal &WindowFixture::linkDevice(int port)
{
    auto device = std::make_unique<PseudoTerminal>();
    device->linkAsPort(m_config->path(), port);
    connect(device.get(), &PseudoTerminal::received, this, [this, port](const QByteArray &bytes) {
        QByteArray &received = m_received[port];
        received += bytes;
        if (onCommand && received.size() % 6 == 0)
            onCommand(received.right(6));
    });
    return *(m_devices[port] = std::move(device));
}

void WindowFixture::makeWindow()
{
    m_window = std::make_unique<Telvaronix>();
    m_parts = std::make_unique<WindowParts>(m_window.get());
    m_warnings->setMainWindow(m_window.get());
    slowDownRealTicks(*m_parts);
}

bool WindowFixture::showWindowWithPortOpen()
{
    makeWindow();
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()) || !m_parts->Coom1->PortOpen())
        return false;
    const auto linked = m_devices.find(m_parts->Coom1->CommPort());
    return linked == m_devices.end() ||
        QTest::qWaitFor([&linked] { return linked->second->isHeldOpen(); });
}

void WindowFixture::showActiveWindow()
{
    showWindowWithPortOpen();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void WindowFixture::closeWindow()
{
    m_parts.reset();
    m_window.reset();
}

void WindowFixture::chooseInList(int port)
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_parts->ComboCom->setFocus(Qt::MouseFocusReason);
    QCOMPARE(QApplication::focusWidget(), m_parts->ComboCom);
    m_parts->ComboCom->setCurrentIndex(port - 1);
}

bool WindowFixture::changePortTo(int port)
{
    const qsizetype before = m_warnings->seen().size();
    chooseInList(port);
    QTest::keyClick(m_parts->ComboCom, Qt::Key_Tab);
    return m_warnings->seen().size() > before;
}

void WindowFixture::press(int button)
{
    ++m_pressDepth;
    QTest::mouseClick(m_parts->commandButton(button), Qt::LeftButton);
    --m_pressDepth;
}

void WindowFixture::answerEachCommandWith(const QByteArray &reply)
{
    onCommand = [this, reply](const QByteArray &) { device(1).write(reply); };
}

void Script::start()
{
    QTimer::singleShot(10, this, [this] { runNext(); });
}

std::function<void()> Script::retryUntil(std::function<bool()> done)
{
    return [this, done] {
        if (!done())
            m_steps.push_front(retryUntil(done));
    };
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
