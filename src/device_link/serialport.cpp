// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "serialport.h"

#include "hangupwatch.h"
#include "portdevice.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <atomic>
#include <string>

namespace DeviceLink {

namespace {
// How often a lost device is looked for: a stat() twice a second while it is away, so that a
// device back is opened within a second of its return, whatever the phase of the looks.
constexpr int ReconnectIntervalMs = 500;

// Lock-free, so that a signal handler may set it whatever the thread it interrupted was doing.
std::atomic<bool> programStopping {false};
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

void SerialPort::requestProgramStop() noexcept
{
    programStopping.store(true, std::memory_order_relaxed);
}

bool SerialPort::programStopRequested() noexcept
{
    return programStopping.load(std::memory_order_relaxed);
}

SerialPort::SerialPort(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_hangUp(new HangUpWatch(this)),
      m_reconnect(new QTimer(this))
{
    // Applied by every opening.
    m_port->setBaudRate(BaudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);

    connect(m_port, &QSerialPort::readyRead, this, &SerialPort::takeReceived);
    // A lost device shows on its descriptor whatever QSerialPort makes of it, and where the
    // system reports it as a failed operation (Windows, a UART's I/O error), as a ResourceError.
    connect(m_hangUp, &HangUpWatch::hungUp, this, &SerialPort::closeAfterLineFailure);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError)
            closeAfterLineFailure();
    });
    m_reconnect->setInterval(ReconnectIntervalMs);
    connect(m_reconnect, &QTimer::timeout, this, &SerialPort::reconnectIfDeviceIsBack);
}

SerialPort::~SerialPort() = default;

void SerialPort::setCommPort(int port)
{
    if (m_port->isOpen())
        throw Error("the port number cannot change while the port is open");
    if (port < 1 || port > HighestPort)
        throw Error("invalid port number " + std::to_string(port));
    m_reconnect->stop();
    m_commPort = port;
}

bool SerialPort::PortOpen() const
{
    return m_port->isOpen();
}

void SerialPort::setPortOpen(bool open)
{
    // Closing or opening on purpose ends the watch for a lost device: the port is the caller's
    // again, and a port that fails to open here stays closed.
    m_reconnect->stop();
    if (!open) {
        closeDevice();
        return;
    }
    if (m_port->isOpen())
        throw Error("the port is already open");
    openDevice();
}

void SerialPort::openDevice()
{
    if (programStopRequested())
        throw Error("the program is ending");
    const QString devicePath = devicePathForPort(m_commPort);
    // QSerialPort takes a UUCP lock naming a live process for stale and replaces it, and
    // opening a device that another program holds would pulse DTR under it.
    if (const auto holder = holderOfDevice(devicePath)) {
        throw Error("port " + std::to_string(m_commPort) + " is in use by process " +
                    std::to_string(holder->pid));
    }
    m_port->setPortName(devicePath);
    // Not QIODevice::Text: QSerialPort refuses it. Bytes map to characters one to one anyway.
    if (!m_port->open(QIODevice::ReadWrite)) {
        const std::string reason = m_port->errorString().toStdString();
        m_port->clearError();
        throw Error("cannot open port " + std::to_string(m_commPort) + ": " + reason);
    }
    if (!lockOpenedDevice(*m_port)) {
        closeDevice();
        throw Error("port " + std::to_string(m_commPort) + " is in use");
    }
    // A pseudo-terminal can hand back bytes that came before the last close.
    m_port->clear(QSerialPort::Input);
    m_received.clear();
    m_hangUp->arm(*m_port);
    m_openedIdentity = deviceIdentity(devicePath);
    m_openedPath = devicePath;
}

void SerialPort::setOutput(const QString &text)
{
    requireOpen("write");
    const QByteArray bytes = text.toLatin1();
    if (m_port->bytesToWrite() + bytes.size() > OutBufferSize)
        throw Error("the transmit buffer is full");
    if (m_port->write(bytes) != bytes.size())
        throw Error("the port refused the output");
}

int SerialPort::InBufferCount() const
{
    return int(m_received.size());
}

void SerialPort::setInBufferCount(int count)
{
    if (count != 0)
        throw Error("the receive buffer can only be emptied");
    discardReceived();
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void SerialPort::setInputLen(int length)
{
    if (length < 0)
        throw Error("the input length cannot be negative");
    m_inputLen = length;
}

QString SerialPort::Input()
{
    const qsizetype count = m_inputLen == 0 ? m_received.size() : m_inputLen;
    const QByteArray bytes = m_received.left(count);
    m_received.remove(0, bytes.size());
    if (!bytes.isEmpty())
        emit taken(bytes);
    return QString::fromLatin1(bytes);
}

QString SerialPort::devicePath() const
{
    return m_port->isOpen() ? m_openedPath : QString();
}

void SerialPort::discardReceived()
{
    if (m_received.isEmpty())
        return;
    emit discarded(m_received);
    m_received.clear();
}

void SerialPort::takeReceived()
{
    const QByteArray chunk = m_port->readAll();
    m_received.append(chunk.left(InBufferSize - m_received.size()));
}

void SerialPort::requireOpen(const char *operation) const
{
    if (!m_port->isOpen())
        throw Error(std::string("cannot ") + operation + ": the port is closed");
}

void SerialPort::closeDevice()
{
    m_hangUp->disarm();
    m_port->close();
    m_port->clearError();
    discardReceived();
}

void SerialPort::closeAfterLineFailure()
{
    // A hung-up line stays readable with nothing to read, and QSerialPort's read notifier
    // fires over and over while it is open: closing at the first sign ends that, shows the port
    // as closed, and waits for the device to come back.
    if (!m_port->isOpen())
        return;
    closeDevice();
    m_reconnect->start();
}

void SerialPort::reconnectIfDeviceIsBack()
{
    // Only a look at the file system until the device is there again: opening asserts DTR.
    // The device back must be the one that was lost, wherever the port's link now leads: never
    // the system's port that a removed link falls back to, nor another device that the system
    // has given the lost one's node or name. A device that nothing tells apart from others is
    // taken back only at its very node; otherwise the user reopens it by leaving the port
    // list. (Windows tells only adapters with a serial number apart, and its COM number is
    // the adapter's own.)
    const QString devicePath = devicePathForPort(m_commPort);
    if (!deviceExists(devicePath) ||
        (!m_openedIdentity.isEmpty() && deviceIdentity(devicePath) != m_openedIdentity))
        return;
    try {
        openDevice();
        m_reconnect->stop();
    } catch (const Error &) {
        // Not usable yet (still coming up, or taken by another program): look again later.
    }
}

} // namespace DeviceLink
