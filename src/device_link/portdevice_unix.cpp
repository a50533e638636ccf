// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Serial devices as /dev, /proc and sysfs show them.

#include "portdevice.h"

#include "adapternumbering.h"
#include "devicenames.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
} // namespace

bool hasPortLink(int port)
{
    const QFileInfo linkInfo(portLinkPath(port));
    return linkInfo.isSymLink() || linkInfo.exists();
}

QString systemPortPath(int port)
{
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
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

bool lockOpenedDevice(const QSerialPort &port)
{
    return ::flock(int(port.handle()), LOCK_EX | LOCK_NB) == 0;
}

void numberNewAdapters(int portCount)
{
    numberNewAdapters(portCount, readNumberingFacts);
}
