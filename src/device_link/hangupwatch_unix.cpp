// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "hangupwatch.h"

#include <QSerialPort>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace DeviceLink {

HangUpWatch::HangUpWatch(QObject *parent) : QObject(parent) { }

HangUpWatch::~HangUpWatch()
{
    disarm();
}

void HangUpWatch::arm(const QSerialPort &port)
{
    disarm();
    // Its own descriptor for the same open device: one notifier per descriptor and kind is all
    // that Qt's event dispatchers keep, and QSerialPort has the read notifier of the original.
    m_descriptor = ::fcntl(port.handle(), F_DUPFD_CLOEXEC, 0);
    if (m_descriptor < 0)
        return;
    // A read notifier also wakes for a hang-up or an error: the event loops poll for those
    // along with input.
    m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HangUpWatch::check);
}

void HangUpWatch::disarm()
{
    if (m_notifier) {
        // Possibly from inside its own activation: stop it now, delete it once that is over.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

void HangUpWatch::check()
{
    // Woken by input too, which QSerialPort reads in the same pass of the event loop: only the
    // descriptor's state tells the two apart, and looking at it takes nothing from the line.
    pollfd device {m_descriptor, POLLIN, 0};
    if (::poll(&device, 1, 0) != 1)
        return;
    bool lost = (device.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (!lost && (device.revents & POLLIN)) {
        // Readable with nothing to read is the end of the line, where a system does not say
        // so with POLLHUP.
        int waiting = 0;
        lost = ::ioctl(m_descriptor, FIONREAD, &waiting) == 0 && waiting == 0;
    }
    if (lost) {
        disarm();
        emit hungUp();
    }
}

} // namespace DeviceLink
