// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "windowdriver.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>

class Telvaronix;

// A Telvaronix window, shown, whose port 1 is a pseudo-terminal device that the test plays.
// Ticks come only from fireTick(): the window's real timer is slowed down.
class WindowOnDevice : public QObject
{
    Q_OBJECT

public:
    WindowOnDevice();
    ~WindowOnDevice() override;

    // Creates and shows the window; false when it did not come up with its port open.
    bool start();

    // Clicks a command button; returns once its handler, wait included, has finished.
    void press(int button);
    // Makes the device answer every command with this reply.
    void answerEachCommandWith(const QByteArray &reply);

    IsolatedConfig config;
    PseudoTerminal device;
    std::unique_ptr<Telvaronix> window;
    std::unique_ptr<WindowParts> parts;
    // Everything the device received, and what it does on each complete command.
    QByteArray received;
    std::function<void(const QByteArray &command)> onCommand;
    // How many presses are running, nested inside one another.
    int pressDepth = 0;
};

// Runs test steps one after another from the event loop, each 10 ms after the one before.
// The next step is scheduled before a step runs, so the steps after a click run nested inside
// that click's wait, as a person's later actions would.
class Script : public QObject
{
public:
    void add(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    void start();

private:
    void runNext();
    std::deque<std::function<void()>> m_steps;
};
