// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>

class QSerialPort;
class QTimer;

namespace DeviceLink {

class HangUpWatch;

// The serial port component that all traffic to the device passes through.
//
// It is driven by six properties, read and set by the window's handlers, and it is polled:
// callers look at InBufferCount rather than wait for notifications. The line settings are
// fixed when it is created: 19200 bit/s, 8 data bits, no parity, 1 stop bit, no flow control,
// one Latin-1 character per byte both ways, a receive buffer of 1024 characters and a transmit
// buffer of 512. Like a UART's driver, it takes what the line delivers into its receive buffer
// as it comes, and drops what arrives while that buffer is full.
//
// When the open port's device goes away (a USB adapter pulled, the far end of a pseudo-terminal
// closed), the port closes; from then on it looks twice a second whether the same port's device
// is back, and opens it again by itself. It must be the one that was lost (an adapter known by
// its USB serial number or udev's name for it, any other device by its very node), not another
// one given the same node or name. Closing, opening or renumbering the port on purpose ends
// that watch. A closed port holds no received characters.
//
// Once the program is on its way out, as a stop signal tells it, no port opens any more: opening
// one asserts DTR, which resets many boards, and a program that is ending has no business with
// the device. That cannot be taken back.
//
// An operation that cannot be carried out changes nothing and throws SerialPort::Error.
class SerialPort : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SerialPort)

public:
    class Error : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr qint32 BaudRate = 19200;
    static constexpr int InBufferSize = 1024;
    static constexpr int OutBufferSize = 512;
    static constexpr int HighestPort = 255;

    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

    // That the program is ending: from now on no port opens. Safe to call from a signal handler.
    static void requestProgramStop() noexcept;
    static bool programStopRequested() noexcept;

    // The port number the next opening uses; 1 at creation. Setting it fails while the port
    // is open, or for a number outside 1 to HighestPort.
    int CommPort() const { return m_commPort; }
    void setCommPort(int port);

    // Whether the port is open. Opening fails when the device does not exist, another
    // program holds it (a live UUCP lock file, an exclusive flock, QSerialPort's lock), or
    // the program is ending; closing a closed port does nothing.
    bool PortOpen() const;
    void setPortOpen(bool open);

    // Queues the text's characters for transmission and returns without waiting for them to
    // leave. Fails while the port is closed, or when the text does not fit the transmit buffer.
    void setOutput(const QString &text);

    // The number of received characters waiting to be read (0 while the port is closed).
    // Setting it to 0 discards them all, here and in the system's buffer; no other value can
    // be set.
    int InBufferCount() const;
    void setInBufferCount(int count);

    // How many characters one read of Input takes; 0 means all that are waiting.
    int InputLen() const { return m_inputLen; }
    void setInputLen(int length);

    // Removes and returns the oldest waiting characters, at most InputLen of them.
    QString Input();

    // The device the open port opened, links resolved; empty while the port is closed.
    QString devicePath() const;

signals:
    // Received characters leaving the receive buffer, as bytes: read by Input, or discarded by
    // emptying the buffer or closing the port.
    void taken(const QByteArray &bytes);
    void discarded(const QByteArray &bytes);

private:
    void discardReceived();
    void requireOpen(const char *operation) const;
    void takeReceived();
    void openDevice();
    void closeDevice();
    void closeAfterLineFailure();
    void reconnectIfDeviceIsBack();

    QSerialPort *const m_port;
    HangUpWatch *const m_hangUp;
    // Runs while a lost device is being waited for.
    QTimer *const m_reconnect;
    // What tells the device of the last opening, which a lost port waits for, from other
    // devices (see deviceIdentity(); empty when nothing does).
    QString m_openedIdentity;
    QString m_openedPath;
    QByteArray m_received;
    int m_commPort = 1;
    int m_inputLen = 0;
};

} // namespace DeviceLink
