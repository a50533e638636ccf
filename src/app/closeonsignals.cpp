// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "closeonsignals.h"

#include "device_link/serialport.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalSockets[2] = {-1, -1};
constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};
// How long a signal leaves the program to close by itself before SIGALRM's default ends it.
constexpr unsigned CloseWithinSeconds = 2;

void onSignal(int)
{
    // The code the signal interrupted may be about to look at errno. The socket does not
    // block: when it is full, a wake-up is on its way anyway.
    const int interruptedErrno = errno;
    // Whatever the main thread is doing, it opens no port from now on.
    DeviceLink::SerialPort::requestProgramStop();
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSockets[1], &byte, 1);
    // The system calls the handler interrupts are restarted: the event loop gets to read the
    // byte only once the main thread is back in it.
    ::alarm(CloseWithinSeconds);
    errno = interruptedErrno;
}
} // namespace

CloseOnSignals::CloseOnSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
        return; // the signals then keep their default action
    m_notifier = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CloseOnSignals::closeEverything);

    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : HandledSignals)
        ::sigaction(signal, &action, nullptr);
}

CloseOnSignals::~CloseOnSignals()
{
    for (int signal : HandledSignals)
        std::signal(signal, SIG_DFL);
    ::alarm(0);
    if (m_notifier) {
        ::close(signalSockets[0]);
        ::close(signalSockets[1]);
    }
}

void CloseOnSignals::closeEverything()
{
    char bytes[16];
    [[maybe_unused]] const auto read = ::read(signalSockets[0], bytes, sizeof bytes);
    // Closes the warning box if one is open, then the window; the waits still running end at
    // their next look, and exit() leaves every event loop, the warning's included.
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}
