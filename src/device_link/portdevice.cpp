// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portdevice.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifdef Q_OS_WIN
    Q_UNUSED(port);
    return false; // COM<n> is the system's own numbering, kept per adapter
#else
    const QFileInfo linkInfo(portLinkPath(port));
    return linkInfo.isSymLink() || linkInfo.exists();
#endif
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

QString systemPortPath(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(port);
#else
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
#endif
}

#ifdef Q_OS_UNIX
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
#endif

bool deviceExists(const QString &devicePath)
{
#ifdef Q_OS_WIN
    // The COM ports the system lists; nothing is opened.
    return !QSerialPortInfo(devicePath).isNull();
#else
    return QFileInfo::exists(devicePath) && !isPlaceholderUart(devicePath);
#endif
}

QString deviceIdentity(const QString &devicePath)
{
#ifdef Q_OS_WIN
    return QSerialPortInfo(devicePath).serialNumber();
#else
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
#endif
}

PortStatus portStatus(int port)
{
    PortStatus status;
    status.devicePath = devicePathForPort(port);
    // A link to nothing names the device it was made for.
    if (const QFileInfo link(portLinkPath(port)); link.isSymLink() && !link.exists()) {
        status.devicePath = link.symLinkTarget();
        status.state = status.devicePath.startsWith(QStringLiteral("/dev/serial/"))
            ? PortStatus::State::Unplugged
            : PortStatus::State::Missing;
        return status;
    }
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(status.devicePath);
    struct stat device
    {
    };
    if (::stat(path.constData(), &device) != 0 || isPlaceholderUart(status.devicePath))
        return status; // Missing
    status.adapter = describeAdapter(status.devicePath);
    if (!S_ISCHR(device.st_mode) || !isTerminal(quint64(device.st_rdev))) {
        status.state = PortStatus::State::NotADevice;
    } else if (::access(path.constData(), R_OK | W_OK) != 0) {
        status.state = PortStatus::State::NoPermission;
        // Naming the group helps only when its members may read and write the device.
        const group *owner = ::getgrgid(device.st_gid);
        if (owner && (device.st_mode & S_IRGRP) && (device.st_mode & S_IWGRP))
            status.group = QString::fromLocal8Bit(owner->gr_name);
    } else if ((status.holder = holderOfDevice(status.devicePath))) {
        status.state = PortStatus::State::InUse;
    } else {
        status.state = PortStatus::State::Usable;
    }
#else
    // Windows opens a COM port for one program only, and tells who holds one only to a
    // program that opens it: what the system lists is all there is to say.
    const QSerialPortInfo info(status.devicePath);
    if (info.isNull())
        return status; // Missing
    status.adapter =
        AdapterDescription {info.description(), info.manufacturer(), info.serialNumber()};
    status.state = PortStatus::State::Usable;
#endif
    return status;
}
