// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "windowdriver.h"

#include <QByteArray>
#include <QObject>

#include <map>
#include <memory>

class Telvaronix;

// The base of tests that work a whole window against devices played on pseudo-terminals: each
// test function gets a private configuration folder, every warning answered, the devices it
// links and the window it starts, all ended after it. A test class with more to set up
// declares its own init() and cleanup() and calls these.
class WindowFixture : public QObject
{
    Q_OBJECT

public:
    WindowFixture();
    ~WindowFixture() override;

protected slots:
    void init();
    void cleanup();

protected:
    // Links a new device as port `port`; what it receives collects in m_received[port].
    PseudoTerminal &linkDevice(int port);
    PseudoTerminal &device(int port) const { return *m_devices.at(port); }
    // Makes the window and shows it, active, with its real ticks slowed (see fireTick()).
    void startWindow();
    void closeWindow();
    // Puts the focus in the port list with entry C<port> chosen, as a person leaves it.
    void chooseInList(int port);
    // Then moves the focus on with Tab, which changes the port; true if a warning came.
    bool changePortTo(int port);

    std::unique_ptr<IsolatedConfig> m_config;
    std::map<int, std::unique_ptr<PseudoTerminal>> m_devices;
    std::map<int, QByteArray> m_received;
    std::unique_ptr<WarningAnswerer> m_warnings;
    std::unique_ptr<Telvaronix> m_window;
    std::unique_ptr<WindowParts> m_parts;
};
