// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "devicelocks.h"

#include "devicenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace DeviceLink {

namespace {

// What a lock file's owner is looked for in; a real one (QLockFile's four lines included) is
// far smaller than the largest taken for one.
constexpr qint64 MaxLockFileSize = 128;
constexpr qint64 LargestLockFile = 1024;
// QLockFile's default time after which a lock whose owner it cannot tell counts as stale.
constexpr qint64 NamelessLockStaleSeconds = 30;
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

// Where lock files are looked for: every folder QSerialPort may put its own in, in its order.
// It takes the first that it may write to, which is /tmp where /run/lock is writable by root
// only (Fedora, Arch, openSUSE); other programs have their own folders among these.
QStringList lockFolders()
{
    const QString candidates[] = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation),
    };
    // On Debian /var/lock is a link to /run/lock; each folder is looked at once.
    QStringList folders;
    for (const QString &folder : candidates) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty() && !folders.contains(real))
            folders.append(real);
    }
    return folders;
}

enum class LockFile { Absent, Unusable, Read };

// Reads the lock file at `path` into `content`, never waiting and never following a link.
// The folder is open to every user, who can put anything there, and swap it at any moment: a
// named pipe would hold a plain open (and QSerialPort's, which reads its own lock file to
// tell whether it is stale) for good, a huge file would be read whole. So the file is opened
// without blocking and judged by what was opened. Anything but a small plain file is
// unusable, and keeps the device closed.
LockFile readLockFile(const QString &path, QByteArray &content, qint64 &secondsOld)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? LockFile::Absent : LockFile::Unusable;
    struct stat info
    {
    };
    LockFile result = LockFile::Unusable;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= LargestLockFile) {
        content.resize(MaxLockFileSize);
        const ssize_t read = ::read(fd, content.data(), size_t(content.size()));
        content.resize(qMax<qsizetype>(read, 0));
        secondsOld = qint64(std::time(nullptr)) - qint64(info.st_mtime);
        result = read >= 0 ? LockFile::Read : LockFile::Unusable;
    }
    ::close(fd);
    return result;
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

std::optional<DeviceHolder> holderByLockFile(const QString &devicePath)
{
    const QStringList names = lockFileNames(deviceAliases(devicePath));
    for (const QString &folder : lockFolders()) {
        for (const QString &name : names) {
            QByteArray content;
            qint64 secondsOld = 0;
            switch (readLockFile(folder + u'/' + name, content, secondsOld)) {
            case LockFile::Absent:
                continue;
            case LockFile::Unusable:
                return DeviceHolder {};
            case LockFile::Read: {
                const qint64 pid = pidInLockFile(content);
                // QSerialPort takes a lock that names no process for one being written, and
                // waits until it is old enough to be stale.
                if (pid == 0 && std::abs(secondsOld) <= NamelessLockStaleSeconds)
                    return DeviceHolder {};
                if (auto found = holder(pid))
                    return found;
            }
            }
        }
    }
    return std::nullopt;
}

// /proc/locks lines: "1: FLOCK  ADVISORY  WRITE 1234 00:18:6 0 EOF", the file given as its
// file system's major and minor number in hex and its inode, then the locked range. Exclusive
// flocks (picocom, GTKTerm) and whole-file write locks taken with lockf or fcntl (POSIX, and
// OFDLCK, whose owner shows as -1) mark a device as held. Waiting requests ("1: -> FLOCK ...")
// hold nothing.
std::optional<DeviceHolder> holderByDeviceLock(const QString &devicePath)
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
    // Read to its end, line by line, as any user can make it long with byte-range locks; a
    // file of /proc has no size to tell its end by, so an empty read ends it.
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    for (QByteArray line; !(line = locks.readLine()).isEmpty();) {
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

std::optional<DeviceHolder> holderByConsole(const QString &devicePath)
{
    // "tty0 ttyAMA0": every terminal the console goes to, by its name below /dev.
    if (!devicePath.startsWith(QStringLiteral("/dev/")))
        return std::nullopt;
    QFile active(sysfsPath(QStringLiteral("/sys/class/tty/console/active")));
    if (!active.open(QIODevice::ReadOnly) ||
        !active.read(256).trimmed().split(' ').contains(QFile::encodeName(devicePath.mid(5))))
        return std::nullopt;
    return DeviceHolder {0, QString(), true};
}

std::optional<DeviceHolder> holderByControllingTerminal(const QString &devicePath)
{
    struct stat device
    {
    };
    if (::stat(QFile::encodeName(devicePath).constData(), &device) != 0 || !S_ISCHR(device.st_mode))
        return std::nullopt;
    // The kernel's encoding of a device number in the stat line's tty_nr field.
    const auto major = ::major(device.st_rdev);
    const auto minor = ::minor(device.st_rdev);
    const qint64 terminal = qint64((minor & 0xffu) | (major << 8) | ((minor & ~0xffu) << 12));
    for (const QString &process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = process.toLongLong(&isPid);
        if (!isPid || pid == ::getpid())
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "1234 (agetty) S 1 1234 1234 16448 ...": the program's name may hold blanks and
        // parentheses; the fields after it are the state, parent, group, session and terminal.
        const QByteArray line = stat.read(512);
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 4 && fields.at(4).toLongLong() == terminal)
            return holder(pid).value_or(DeviceHolder {});
    }
    return std::nullopt;
}

} // namespace DeviceLink
