// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "devicelocks.h"

#include "devicenames.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A lock file or /proc/locks is never this large; reading stops there.
constexpr qint64 MaxLockFileSize = 128;
constexpr qint64 MaxProcLocksSize = 1024 * 1024;
const QList<QByteArray> LockKinds = {"FLOCK", "POSIX", "OFDLCK"};

bool isAliveAndNotUs(qint64 pid)
{
    if (pid <= 0 || pid == ::getpid() || pid > std::numeric_limits<pid_t>::max())
        return false;
    // EPERM: the process exists but belongs to another user.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString programName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.read(64)).trimmed();
}

std::optional<DeviceHolder> holder(qint64 pid)
{
    if (!isAliveAndNotUs(pid))
        return std::nullopt;
    return DeviceHolder {pid, programName(pid)};
}

// The lock file names another program gives a device it opened under one of `paths`: the
// UUCP name, the path's last component (LCK..ttyUSB0, LCK..3 for /dev/pts/3), and QSerialPort's
// and minicom's, the path below /dev with slashes as underscores (LCK..pts_3,
// LCK..serial_by-id_usb-FTDI_...). Such names cannot be read back into paths, as udev's names
// have underscores of their own; the device's own names are turned into lock names instead.
QStringList lockFileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths) {
        QString belowDev = path;
        if (belowDev.startsWith(QStringLiteral("/dev/")))
            belowDev.remove(0, 5);
        belowDev.replace(u'/', u'_');
        for (const QString &name : {QFileInfo(path).fileName(), belowDev}) {
            if (!names.contains(QStringLiteral("LCK..") + name))
                names.append(QStringLiteral("LCK..") + name);
        }
    }
    return names;
}

QStringList lockFolders()
{
    // On Debian /var/lock is a link to /run/lock; each folder is looked at once.
    QStringList folders;
    for (const auto &folder : {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")}) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty() && !folders.contains(real))
            folders.append(real);
    }
    return folders;
}

std::optional<DeviceHolder> holderByLockFile(const QString &devicePath)
{
    const QStringList names = lockFileNames(deviceAliases(devicePath));
    for (const QString &folder : lockFolders()) {
        for (const QString &name : names) {
            QFile lock(folder + u'/' + name);
            const QFileInfo info(lock.fileName());
            if (!info.exists())
                continue;
            // The folder is open to every user. Something other than a file in a lock's place
            // (a named pipe) is never opened, and keeps the device closed: QSerialPort would
            // read it to tell whether its own lock is stale, and wait on a pipe for good.
            if (!info.isFile())
                return DeviceHolder {};
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            if (auto found = holder(pidInLockFile(lock.read(MaxLockFileSize))))
                return found;
        }
    }
    return std::nullopt;
}

// /proc/locks lines: "1: FLOCK  ADVISORY  WRITE 1234 00:18:6 0 EOF", the file given as its
// file system's major and minor number in hex and its inode, then the locked range. Exclusive
// flocks (picocom, GTKTerm) and whole-file write locks taken with lockf or fcntl (POSIX, and
// OFDLCK, whose owner shows as -1) mark a device as held. Waiting requests ("1: -> FLOCK ...")
// hold nothing.
std::optional<DeviceHolder> holderByLock(const QString &devicePath)
{
    struct stat device
    {
    };
    if (::stat(QFile::encodeName(devicePath).constData(), &device) != 0)
        return std::nullopt;
    const QString wanted = QStringLiteral("%1:%2:%3")
                               .arg(major(device.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(minor(device.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(quint64(device.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QList<QByteArray> lines = locks.read(MaxProcLocksSize).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || !LockKinds.contains(fields.at(1)) || fields.at(3) != "WRITE" ||
            fields.at(6) != "0" || fields.at(7) != "EOF")
            continue;
        if (QString::fromLatin1(fields.at(5)).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        // The kernel lists only locks that are held. Ours aside, a holder whose process id is
        // not shown (an open file description's lock, another pid namespace) or has ended
        // (a lock passed on to a child) still holds it.
        const qint64 pid = fields.at(4).toLongLong();
        if (pid == ::getpid())
            continue;
        return holder(pid).value_or(DeviceHolder {});
    }
    return std::nullopt;
}

} // namespace

qint64 pidInLockFile(const QByteArray &content)
{
    const QByteArray firstLine = content.left(content.indexOf('\n')).trimmed();
    bool isNumber = false;
    const qint64 pid = firstLine.toLongLong(&isNumber);
    if (isNumber)
        return pid > 0 ? pid : 0;
    if (content.size() == sizeof(qint32)) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

std::optional<DeviceHolder> holderOfDevice(const QString &devicePath)
{
    if (auto found = holderByLockFile(devicePath))
        return found;
    return holderByLock(devicePath);
}
