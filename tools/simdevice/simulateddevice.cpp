// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "simulateddevice.h"

#include "pseudoterminal.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>

namespace {
// What the device says it did, per command; each exactly 20 characters.
QByteArray normalReply(const QByteArray &command)
{
    if (command == "cmd01 ")
        return "OK LEDS ENCENDIDOS  ";
    if (command == "cmd02 ")
        return "OK LEDS APAGADOS    ";
    if (command == "cmd03 ")
        return "OK BIP CORTO        ";
    if (command == "cmd04 ")
        return "OK LUZ Y SONIDO     ";
    return "ERROR ORDEN IGNORADA";
}

// Printable form for the log: bytes outside printable ASCII as \xNN.
QByteArray printable(const QByteArray &bytes)
{
    QByteArray shown;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            shown.append(c);
        else
            shown.append("\\x").append(QByteArray::number(byte, 16).rightJustified(2, '0'));
    }
    return shown;
}
} // namespace

SimulatedDevice::SimulatedDevice(PseudoTerminal *line, const Behaviour &behaviour, QFile *log,
                                 QObject *parent)
    : QObject(parent), m_line(line), m_behaviour(behaviour), m_log(log)
{
    connect(m_line, &PseudoTerminal::received, this, &SimulatedDevice::receive);
    connect(m_line, &PseudoTerminal::heldOpen, this, [this] { logLine("opened", {}); });
    if (m_behaviour.unsolicitedEveryMs > 0) {
        auto *chatter = new QTimer(this);
        connect(chatter, &QTimer::timeout, this, [this] { send("~", "unsolicited"); });
        chatter->start(m_behaviour.unsolicitedEveryMs);
    }
}

QByteArray SimulatedDevice::replyFor(const QByteArray &command, ReplyKind kind, int serial)
{
    switch (kind) {
    case ReplyKind::Markup:
        return "<b>hola</b><i>x</i> ";
    case ReplyKind::Binary: {
        // Every byte value in turn, 20 to a reply, NUL included.
        QByteArray bytes;
        for (int i = 0; i < 20; ++i)
            bytes.append(char((serial * 20 + i) % 256));
        return bytes;
    }
    case ReplyKind::Normal:
        break;
    }
    return normalReply(command);
}

QByteArray SimulatedDevice::fitted(const QByteArray &reply, int length)
{
    QByteArray result = reply.left(length);
    // Long replies go on with a recognisable tail rather than blanks.
    const char filler = length > reply.size() && length > 20 ? '#' : ' ';
    while (result.size() < length)
        result.append(filler);
    return result;
}

void SimulatedDevice::receive(const QByteArray &bytes)
{
    logLine("received", bytes);
    m_received.append(bytes);
    while (m_received.size() >= CommandLength) {
        const QByteArray command = m_received.left(CommandLength);
        m_received.remove(0, CommandLength);
        answer(command);
    }
}

void SimulatedDevice::answer(const QByteArray &command)
{
    const int serial = m_commandCount++;
    const bool lastCommand =
        m_behaviour.hangUpAfter > 0 && m_commandCount >= m_behaviour.hangUpAfter;
    const bool unanswered = serial < m_behaviour.silentFirst;
    if (unanswered)
        logLine("left unanswered", command);
    const QByteArray reply = unanswered
        ? QByteArray()
        : fitted(replyFor(command, m_behaviour.kind, serial), m_behaviour.replyLength);
    QTimer::singleShot(m_behaviour.delayMs, this, [this, reply, lastCommand] {
        if (!reply.isEmpty())
            send(reply, "sent");
        if (m_behaviour.floodBytes > 0)
            send(QByteArray(m_behaviour.floodBytes, 'F'), "flood");
        if (lastCommand) {
            logLine("hung up", {});
            m_line->hangUp();
            emit hungUp();
        }
    });
}

void SimulatedDevice::send(const QByteArray &bytes, const char *what)
{
    m_line->write(bytes);
    logLine(what,
            bytes.size() > 64
                ? bytes.left(16) + "... (" + QByteArray::number(bytes.size()) + " bytes)"
                : bytes);
}

void SimulatedDevice::logLine(const char *direction, const QByteArray &bytes)
{
    if (!m_log)
        return;
    const QByteArray stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8();
    m_log->write(stamp + ' ' + direction + ": \"" + printable(bytes) + "\"\n");
    m_log->flush();
}
