// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QSerialPort;
class QSocketNotifier;

namespace DeviceLink {

// Tells when the far end of an open serial device hangs up (a USB adapter pulled, the near end
// of a pseudo-terminal closed), from the device's own descriptor.
//
// QSerialPort's own reports of a hang-up differ from version to version: a ReadError over and
// over, nothing at all while its read notifier spins, or a ResourceError. This watch does not
// depend on any of them. It is armed on an open device's descriptor and disarmed before that
// descriptor closes; once it has reported, it reports again only when armed anew.
class HangUpWatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HangUpWatch)

public:
    explicit HangUpWatch(QObject *parent = nullptr);
    ~HangUpWatch() override;

    // Starts watching the device that `port` has open; ends an earlier watch. Where the
    // platform's serial port reports a lost device itself, it does nothing.
    void arm(const QSerialPort &port);
    // Ends the watch; harmless when nothing is watched.
    void disarm();

signals:
    void hungUp();

private:
    void check();

    // A duplicate of the device's descriptor, so that its notifier is not QSerialPort's.
    int m_descriptor = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace DeviceLink
