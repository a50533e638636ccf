// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portdevice.h"

#include <QFileInfo>
#include <QStandardPaths>

QString portLinkFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Telvaronix/ports");
}

QString portLinkPath(int port)
{
    return portLinkFolder() + QStringLiteral("/com") + QString::number(port);
}

QString devicePathForPort(int port)
{
    if (hasPortLink(port)) {
        const QString link = portLinkPath(port);
        const QString target = QFileInfo(link).canonicalFilePath();
        return target.isEmpty() ? link : target;
    }
    return systemPortPath(port);
}

PortStatus portStatus(int port)
{
    // A link to nothing names the device it was made for.
    if (const QFileInfo link(portLinkPath(port)); link.isSymLink() && !link.exists()) {
        PortStatus status;
        status.devicePath = link.symLinkTarget();
        status.state = status.devicePath.startsWith(QStringLiteral("/dev/serial/"))
            ? PortStatus::State::Unplugged
            : PortStatus::State::Missing;
        return status;
    }
    return deviceStatus(devicePathForPort(port));
}
