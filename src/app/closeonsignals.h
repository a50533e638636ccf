// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out, kill, a closed terminal) into what a
// click on the window's close box does: running waits end, the windows close and the port is
// released, so that no other program finds the device still held. Without this the process
// would die on the spot and a pseudo-terminal would stay in exclusive mode.
//
// The signal handler only marks the program as ending, so that no port is opened any more (see
// device_link/serialport.h), and writes a byte to a socket pair; the event loop reads it and
// closes the windows, outside the handler. Should the main thread be stuck in a system call that
// the signal does not end (an open that waits), an alarm ends the process 2 s after the signal; the
// bridge's end, once everything has closed, calls it off. On Windows, which ends a session with
// messages that Qt turns into closing the windows, the bridge does nothing
// (closeonsignals_win.cpp).
class CloseOnSignals : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CloseOnSignals)

public:
    explicit CloseOnSignals(QObject *parent = nullptr);
    ~CloseOnSignals() override;

private:
    void closeEverything();

    QSocketNotifier *m_notifier = nullptr;
};
