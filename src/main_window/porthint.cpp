// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "porthint.h"

#include "device_link/portdevice.h"

#include <QStringList>

using DeviceLink::PortStatus;

namespace {
QString reason(const PortStatus &status)
{
    switch (status.state) {
    case PortStatus::State::Usable:
        return {};
    case PortStatus::State::Missing:
        return QStringLiteral("no existe");
    case PortStatus::State::Unplugged:
        return QStringLiteral("no conectado");
    case PortStatus::State::NotADevice:
        return QStringLiteral("no es un puerto serie");
    case PortStatus::State::NoPermission:
        return status.group.isEmpty() ? QStringLiteral("sin permiso")
                                      : QStringLiteral("sin permiso (grupo %1)").arg(status.group);
    case PortStatus::State::InUse: {
        if (status.holder->console)
            return QStringLiteral("en uso (consola del sistema)");
        if (status.holder->pid == 0)
            return QStringLiteral("en uso");
        QString holder = QStringLiteral("PID %1").arg(status.holder->pid);
        if (!status.holder->program.isEmpty())
            holder += QStringLiteral(", ") + status.holder->program;
        return QStringLiteral("en uso (%1)").arg(holder);
    }
    }
    return {};
}

// What the device is: what an adapter says it is, such as "FT232R USB UART, FTDI", or a board's
// UART with its driver and its other names, such as "UART, uart-pl011, /dev/serial0".
QString deviceKind(const PortStatus &status)
{
    QStringList parts;
    if (status.adapter)
        parts << status.adapter->product << status.adapter->maker;
    else if (!status.uartDriver.isEmpty())
        parts << QStringLiteral("UART") << status.uartDriver << status.links;
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}
} // namespace

QString deviceHint(const PortStatus &status)
{
    QString hint = status.devicePath;
    if (const QString kind = deviceKind(status); !kind.isEmpty())
        hint += QStringLiteral(" (%1)").arg(kind);
    const QString why = reason(status);
    if (!why.isEmpty())
        hint += QStringLiteral(" — ") + why;
    return hint;
}

QString portHint(int port, const PortStatus &status)
{
    return QStringLiteral("C%1: ").arg(port) + deviceHint(status);
}
