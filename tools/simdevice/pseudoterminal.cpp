// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "pseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace {
// While nobody holds the far end, the master reads as hung up on every poll; rather than
// spin on it, look again this often whether a program has opened the port.
constexpr int ReopenPollMs = 5;

std::runtime_error systemError(const char *what)
{
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}
} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : QObject(parent)
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
        throw systemError("openpty");
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);
    m_devicePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    m_reopenPoll = new QTimer(this);
    m_reopenPoll->setInterval(ReopenPollMs);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writePending);
    connect(m_reopenPoll, &QTimer::timeout, this, &PseudoTerminal::watchForReopen);
    if (!isHeldOpen()) {
        m_readNotifier->setEnabled(false);
        m_reopenPoll->start();
    }
}

PseudoTerminal::~PseudoTerminal()
{
    for (const QString &link : {m_linkPath, m_adapterPath}) {
        if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == m_devicePath)
            QFile::remove(link);
    }
    if (!m_adapterPath.isEmpty()) {
        // As udev leaves it: the folders go with their last adapter.
        QDir().rmdir(QFileInfo(m_adapterPath).path());
        QDir().rmdir(QStringLiteral("/dev/serial"));
    }
    hangUp();
}

void PseudoTerminal::linkAsPort(const QString &configDir, int port)
{
    const QString folder = configDir + QStringLiteral("/Telvaronix/ports");
    const QString link = folder + QStringLiteral("/com") + QString::number(port);
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot create " + folder.toStdString());
    // Only a link that a simulated device left behind is replaced: one to a pseudo-terminal,
    // or to nothing any more. A person's link to a real adapter stays.
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        const QString target = existing.symLinkTarget();
        if (QFileInfo::exists(target) && !target.startsWith(QStringLiteral("/dev/pts/")))
            throw std::runtime_error(link.toStdString() + " links to " + target.toStdString());
        QFile::remove(link);
    } else if (existing.exists()) {
        throw std::runtime_error(link.toStdString() + " exists and is not a link");
    }
    if (!QFile::link(m_devicePath, link))
        throw std::runtime_error("cannot link " + link.toStdString());
    m_linkPath = link;
}

void PseudoTerminal::nameAsAdapter(const QString &byIdName)
{
    const QString folder = QStringLiteral("/dev/serial/by-id");
    const QString link = folder + u'/' + byIdName;
    if (!QDir().mkpath(folder) || !QFile::link(m_devicePath, link))
        throw std::runtime_error("cannot name the device " + link.toStdString());
    m_adapterPath = link;
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    m_pending.append(bytes);
    writePending();
}

bool PseudoTerminal::isHeldOpen() const
{
    if (m_master < 0)
        return false;
    pollfd watched {m_master, 0, 0};
    ::poll(&watched, 1, 0);
    return (watched.revents & POLLHUP) == 0;
}

termios PseudoTerminal::lineSettings() const
{
    termios settings {};
    ::tcgetattr(m_master, &settings);
    return settings;
}

int PseudoTerminal::releaseNearEnd()
{
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_reopenPoll->stop();
    m_reopenPoll->disconnect(this);
    return m_master;
}

void PseudoTerminal::hangUp()
{
    if (m_master < 0)
        return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_reopenPoll->stop();
    ::close(m_master);
    m_master = -1;
    m_pending.clear();
}

void PseudoTerminal::readAvailable()
{
    char chunk[4096];
    for (;;) {
        const ssize_t count = ::read(m_master, chunk, sizeof chunk);
        if (count > 0) {
            emit received(QByteArray(chunk, count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return;
        // EIO: the last holder of the far end closed it. Wait for the next one.
        m_readNotifier->setEnabled(false);
        m_reopenPoll->start();
        return;
    }
}

void PseudoTerminal::writePending()
{
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t count = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (count > 0) {
            m_pending.remove(0, count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            break;
        } else {
            m_pending.clear(); // nobody can ever read it
        }
    }
    // While nobody holds the far end the master polls as writable forever; wait for a reader.
    m_writeNotifier->setEnabled(!m_pending.isEmpty() && isHeldOpen());
}

void PseudoTerminal::watchForReopen()
{
    if (!isHeldOpen())
        return;
    m_reopenPoll->stop();
    m_readNotifier->setEnabled(true);
    emit heldOpen();
    writePending();
}
