// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <termios.h>

class QSocketNotifier;
class QTimer;

// One pseudo-terminal pair standing in for a device on a serial line.
//
// The program under test opens the far end (the slave) through a port link; this object holds
// the near end (the master), raw, non-blocking, and reads and writes it from the event loop.
// It does not keep the far end open itself, so whether anyone holds the port shows on the
// master, and so a flood written here never blocks the program it feeds in the same process.
class PseudoTerminal : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PseudoTerminal)

public:
    // Opens the pair; throws std::runtime_error when the system has none to give.
    explicit PseudoTerminal(QObject *parent = nullptr);
    // Removes the port link it made, if it still points here, and closes the pair.
    ~PseudoTerminal() override;

    // The far end's device path, such as /dev/pts/4.
    QString devicePath() const { return m_devicePath; }

    // Links the far end as port `port` for the program: <configDir>/Telvaronix/ports/com<port>.
    // A link left by an earlier simulated device (to a pseudo-terminal, or dangling) is
    // replaced; anything else there is left alone and makes this throw.
    void linkAsPort(const QString &configDir, int port);
    QString linkPath() const { return m_linkPath; }

    // Names the far end in /dev/serial/by-id as udev names a USB adapter there (root only), so
    // that the program numbers it as an adapter. The name goes with this object.
    void nameAsAdapter(const QString &byIdName);
    QString adapterPath() const { return m_adapterPath; }

    // Queues bytes for the far end and writes as much as the line takes now.
    void write(const QByteArray &bytes);
    qsizetype pendingWrite() const { return m_pending.size(); }

    // Whether some program holds the far end open.
    bool isHeldOpen() const;

    // The line settings the program holding the far end has set.
    termios lineSettings() const;

    // Hands the near end to code of the caller's own (another thread, say): this object stops
    // reading and writing it, but still owns and closes it.
    int releaseNearEnd();

    // Closes the near end, as a pulled cable would: the program holding the far end sees the
    // line drop. Nothing can be written afterwards.
    void hangUp();

signals:
    void received(const QByteArray &bytes);
    // A program has opened the far end.
    void heldOpen();

private:
    void readAvailable();
    void writePending();
    void watchForReopen();

    int m_master = -1;
    QString m_devicePath;
    QString m_linkPath;
    QString m_adapterPath;
    QByteArray m_pending;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_reopenPoll = nullptr;
};
