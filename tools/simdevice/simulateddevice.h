// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QObject>

class PseudoTerminal;
class QFile;
class QTimer;

// The device at the far end of the line: it reads six-character commands and answers each.
//
// By default "cmd01 " to "cmd04 " get a 20-character reply saying what the device did, and
// anything else gets "ERROR ORDEN IGNORADA". The options below reproduce the awkward devices a
// program meets: slow, silent, short or long replies, markup, arbitrary bytes, chatter nobody
// asked for, floods, and a line that goes dead.
class SimulatedDevice : public QObject
{
    Q_OBJECT

public:
    enum class ReplyKind { Normal, Markup, Binary };

    struct Behaviour
    {
        int delayMs = 0; // before each reply
        int replyLength = 20; // replies are cut or padded to this; 0 answers nothing
        ReplyKind kind = ReplyKind::Normal;
        int unsolicitedEveryMs = 0; // 0: never speaks unasked
        qint64 floodBytes = 0; // sent after each reply
        int hangUpAfter = 0; // close the line after this many commands; 0: never
        int silentFirst = 0; // leave this many first commands unanswered
    };

    static constexpr int CommandLength = 6;

    SimulatedDevice(PseudoTerminal *line, const Behaviour &behaviour, QFile *log,
                    QObject *parent = nullptr);

    // The reply to one command under the chosen behaviour (before cutting or padding).
    static QByteArray replyFor(const QByteArray &command, ReplyKind kind, int serial);
    // The reply cut or padded with blanks to `length` characters.
    static QByteArray fitted(const QByteArray &reply, int length);

signals:
    // The line was hung up after the last command allowed.
    void hungUp();

private:
    void receive(const QByteArray &bytes);
    void answer(const QByteArray &command);
    void send(const QByteArray &bytes, const char *what);
    void logLine(const char *direction, const QByteArray &bytes);

    PseudoTerminal *const m_line;
    const Behaviour m_behaviour;
    QFile *const m_log;
    QByteArray m_received;
    int m_commandCount = 0;
};
