// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Serial devices as /dev, /proc and sysfs show them.

#include "portdevice_unix.h"
#include "portdevice.h"

#include "boarduarts.h"
#include "devicelocks.h"
#include "devicenames.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QStandardPaths>

#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DeviceLink {

namespace {
// The kernel makes /dev/ttyS0 to ttyS3 whether or not a UART stands behind them; sysfs tells
// which have none (type 0, "unknown"), and only opening them would tell otherwise.
bool isPlaceholderUart(const QString &devicePath)
{
    const QString name = QFileInfo(devicePath).fileName();
    if (!name.startsWith(QStringLiteral("ttyS")))
        return false;
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    return type.open(QIODevice::ReadOnly) && type.read(16).trimmed() == "0";
}

// What stands at the device path `devicePath`, links resolved: the port's status beyond what
// its link tells.
PortStatus deviceStatus(const QString &devicePath)
{
    PortStatus status;
    status.devicePath = devicePath;
    const QByteArray path = QFile::encodeName(devicePath);
    struct stat device
    {
    };
    if (::stat(path.constData(), &device) != 0 || isPlaceholderUart(devicePath))
        return status; // Missing
    status.adapter = describeAdapter(devicePath);
    status.uartDriver = boardUartDriver(devicePath);
    if (!status.uartDriver.isEmpty())
        status.links = linksInDevTo(devicePath);
    if (!S_ISCHR(device.st_mode) || !isTerminal(quint64(device.st_rdev))) {
        status.state = PortStatus::State::NotADevice;
    } else if (::access(path.constData(), R_OK | W_OK) != 0) {
        status.state = PortStatus::State::NoPermission;
        // Naming the group helps only when its members may read and write the device.
        const group *owner = ::getgrgid(device.st_gid);
        if (owner && (device.st_mode & S_IRGRP) && (device.st_mode & S_IWGRP))
            status.group = QString::fromLocal8Bit(owner->gr_name);
    } else if ((status.holder = holderOfDevice(devicePath))) {
        status.state = PortStatus::State::InUse;
    } else {
        status.state = PortStatus::State::Usable;
    }
    return status;
}
} // namespace

QString portLinkFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Telvaronix/ports");
}

QString portLinkPath(int port)
{
    return portLinkFolder() + QStringLiteral("/com") + QString::number(port);
}

bool hasPortLink(int port)
{
    const QFileInfo linkInfo(portLinkPath(port));
    return linkInfo.isSymLink() || linkInfo.exists();
}

QString systemPortPath(int port)
{
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
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

bool deviceExists(const QString &devicePath)
{
    return QFileInfo::exists(devicePath) && !isPlaceholderUart(devicePath);
}

QString deviceIdentity(const QString &devicePath)
{
    const auto adapter = describeAdapter(devicePath);
    if (adapter && !adapter->serialNumber.isEmpty())
        return QStringLiteral("serial:") + adapter->serialNumber;
    if (const QString byId = byIdPath(devicePath); !byId.isEmpty())
        return byId;
    // A node made anew, by the same device or another, has another inode and change time.
    struct stat node
    {
    };
    if (::stat(QFile::encodeName(devicePath).constData(), &node) != 0 || !S_ISCHR(node.st_mode))
        return {};
    return QStringLiteral("node:%1:%2:%3.%4")
        .arg(quint64(node.st_rdev))
        .arg(quint64(node.st_ino))
        .arg(qint64(node.st_ctim.tv_sec))
        .arg(qint64(node.st_ctim.tv_nsec));
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

std::optional<DeviceHolder> holderOfDevice(const QString &devicePath)
{
    // A board's image often puts the kernel's console and a login prompt on its UART: opening
    // it would fight them. The lock files last: QSerialPort opens its own right after this, and
    // what stands in that file's place can change in between.
    if (auto found = holderByConsole(devicePath))
        return found;
    if (auto found = holderByDeviceLock(devicePath))
        return found;
    if (auto found = holderByControllingTerminal(devicePath))
        return found;
    return holderByLockFile(devicePath);
}

bool lockOpenedDevice(const QSerialPort &port)
{
    return ::flock(int(port.handle()), LOCK_EX | LOCK_NB) == 0;
}

} // namespace DeviceLink
