// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowfixture.h"

#include <main_window/Telvaronix>

#include <QApplication>
#include <QComboBox>
#include <QTest>

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
    m_warnings.reset();
    m_devices.clear();
    m_received.clear();
    m_config.reset();
}

PseudoTerminal &WindowFixture::linkDevice(int port)
{
    auto device = std::make_unique<PseudoTerminal>();
    device->linkAsPort(m_config->path(), port);
    connect(device.get(), &PseudoTerminal::received, this,
            [this, port](const QByteArray &bytes) { m_received[port] += bytes; });
    return *(m_devices[port] = std::move(device));
}

void WindowFixture::startWindow()
{
    m_window = std::make_unique<Telvaronix>();
    m_parts = std::make_unique<WindowParts>(m_window.get());
    m_warnings->setMainWindow(m_window.get());
    slowDownRealTicks(*m_parts);
    m_window->show();
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
