// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// COM ports as Windows lists them. Windows numbers them itself, keeping an adapter's number
// across plugs, and opens a port for one program only.

#include "portdevice.h"

#include <QSerialPortInfo>

namespace DeviceLink {

QString systemPortPath(int port)
{
    return QStringLiteral("COM") + QString::number(port);
}

bool deviceExists(const QString &devicePath)
{
    // The COM ports the system lists; nothing is opened.
    return !QSerialPortInfo(devicePath).isNull();
}

QString deviceIdentity(const QString &devicePath)
{
    return QSerialPortInfo(devicePath).serialNumber();
}

QString devicePathForPort(int port)
{
    return systemPortPath(port); // the system's own numbering, kept per adapter
}

PortStatus portStatus(int port)
{
    // Windows tells who holds a COM port only to a program that opens it: what the system
    // lists is all there is to say.
    const QString devicePath = devicePathForPort(port);
    PortStatus status;
    status.devicePath = devicePath;
    const QSerialPortInfo info(devicePath);
    if (info.isNull())
        return status; // Missing
    status.adapter =
        AdapterDescription {info.description(), info.manufacturer(), info.serialNumber()};
    status.state = PortStatus::State::Usable;
    return status;
}

std::optional<DeviceHolder> holderOfDevice(const QString &)
{
    return std::nullopt;
}

bool lockOpenedDevice(const QSerialPort &)
{
    return true;
}

} // namespace DeviceLink
