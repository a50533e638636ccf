// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "recordfile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long an append waits for another instance's turn, in tries a millisecond apart; past that
// it appends without its turn.
constexpr int LockTries = 100;

// Whether anyone but this user may put something in the folder that holds `path`.
bool othersMayWriteBeside(const QString &path)
{
    struct stat folder
    {
    };
    const QByteArray name = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::stat(name.constData(), &folder) != 0)
        return true;
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 ||
        (folder.st_uid != ::geteuid() && folder.st_uid != 0);
}

// The file opened for appending, or -1 with errno set; never waiting, and never a folder, a
// named pipe or a device (errno then EISDIR, or ENXIO for the others). What stands at the path
// is looked at first: opening a serial device would pulse its DTR line, which resets many boards.
int openForAppending(const QString &path, bool followLinks)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat file
    {
    };
    const int looked =
        followLinks ? ::stat(name.constData(), &file) : ::lstat(name.constData(), &file);
    if (looked == 0 && S_ISLNK(file.st_mode)) {
        errno = ELOOP;
        return -1;
    }
    if (looked == 0 && !S_ISREG(file.st_mode)) {
        errno = S_ISDIR(file.st_mode) ? EISDIR : ENXIO;
        return -1;
    }
    const int fd = ::open(name.constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                              (followLinks ? 0 : O_NOFOLLOW),
                          0666);
    // Something else may have taken the file's place in between.
    if (fd < 0 || (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode)))
        return fd;
    ::close(fd);
    errno = ENXIO;
    return -1;
}

QString reason(int error)
{
    switch (error) {
    case EISDIR:
        return QStringLiteral("it is a folder");
    case ENXIO:
        return QStringLiteral("it is a named pipe or a device, not a plain file");
    case ELOOP:
        return QStringLiteral("it is a symbolic link in a folder that others can write to");
    default:
        return qt_error_string(error);
    }
}

bool takeTurn(int fd)
{
    for (int attempt = 0; attempt < LockTries; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        QThread::msleep(1);
    }
    return false;
}
} // namespace

std::optional<RecordFile> RecordFile::open(const QString &path, QString *why)
{
    // A write past the size limit a shell may set then fails as a full disk does, instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const bool followsLinks = !othersMayWriteBeside(path);
    const int fd = openForAppending(path, followsLinks);
    if (fd < 0) {
        *why = reason(errno);
        return std::nullopt;
    }
    ::close(fd);
    return RecordFile(path, followsLinks);
}

bool RecordFile::append(const QByteArray &lines, const QByteArray &header, QString *why) const
{
    const int fd = openForAppending(m_path, m_followsLinks);
    if (fd < 0) {
        *why = reason(errno);
        return false;
    }
    const bool ourTurn = takeTurn(fd);
    struct stat file
    {
    };
    const off_t before = ::fstat(fd, &file) == 0 ? file.st_size : -1;
    const QByteArray batch = before == 0 ? header + lines : lines;
    ssize_t written;
    do
        written = ::write(fd, batch.constData(), size_t(batch.size()));
    while (written < 0 && errno == EINTR);
    const int error = written < 0 ? errno : ENOSPC;
    const bool whole = written == batch.size();
    // Half a batch would leave a line that no reader can tell from a whole one.
    if (!whole && written > 0 && ourTurn && before >= 0 && ::ftruncate(fd, before) != 0) {
        // Left as it is: nothing more can be done about it.
    }
    ::close(fd);
    if (!whole)
        *why = reason(error);
    return whole;
}
