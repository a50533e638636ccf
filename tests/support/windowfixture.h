// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "windowparts.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>
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
    // Links a new device as port `port`; what it receives collects in m_received[port], and
    // onCommand, when set, runs on every complete command.
    PseudoTerminal &linkDevice(int port);
    PseudoTerminal &device(int port) const { return *m_devices.at(port); }
    // Makes the window, which opens its port as it starts, without showing it; its real ticks
    // are slowed (see fireTick()).
    void makeWindow();
    // Makes the window and shows it; true once it is on screen with its port open, on the
    // device linked there if there is one.
    bool showWindowWithPortOpen();
    // Makes the window and shows it, whether or not its port opens; returns once it is active.
    void showActiveWindow();
    void closeWindow();
    // Clicks a command button; returns once its handler, wait included, has finished.
    void press(int button);
    // Makes port 1's device answer every command with `reply`.
    void answerEachCommandWith(const QByteArray &reply);
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
    std::function<void(const QByteArray &command)> onCommand;
    // How many presses are running, nested inside one another.
    int m_pressDepth = 0;
};

// Runs test steps one after another from the event loop, each 10 ms after the one before.
// The next step is scheduled before a step runs, so the steps after a click run nested inside
// that click's wait, as a person's later actions would.
class Script : public QObject
{
public:
    void add(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    // A step that looks again every 10 ms until `done` holds, for what a slow machine may take.
    void waitUntil(std::function<bool()> done) { add(retryUntil(std::move(done))); }
    void start();

private:
    std::function<void()> retryUntil(std::function<bool()> done);
    void runNext();
    std::deque<std::function<void()>> m_steps;
};
