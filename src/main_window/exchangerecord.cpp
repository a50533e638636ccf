// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "exchangerecord.h"

#include "device_link/serialport.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cstdio>

namespace {
const QEvent::Type WriteEvent = QEvent::Type(QEvent::registerEventType());
// Far more lines than a person presses buttons while a disk is full; the oldest go first.
constexpr qsizetype MaxUnwritten = 1024 * 1024;

// A CSV field: quoted where it holds a comma, a quote, a control character, or blanks at its
// ends, which some readers would take away.
QByteArray field(const QString &text)
{
    const bool quoted =
        std::any_of(text.begin(), text.end(),
                    [](QChar c) {
                        return c == u',' || c == u'"' || c.unicode() < 0x20 || c.unicode() == 0x7f;
                    }) ||
        text.startsWith(u' ') || text.endsWith(u' ');
    if (!quoted)
        return text.toUtf8();
    QString escaped = text;
    escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return '"' + escaped.toUtf8() + '"';
}

QString shownReply(const QByteArray &bytes)
{
    const QString reply = QString::fromLatin1(bytes);
    if (!reply.isEmpty() && QStringLiteral("=+-@").contains(reply.front()))
        return u'\'' + reply;
    return reply;
}
} // namespace

const QByteArray ExchangeRecord::Header =
    "written at,port,device,command,outcome,reply,bytes read (hex),wait (ms)\r\n";

ExchangeRecord::ExchangeRecord(RecordFile file, const DeviceLink::SerialPort *port, QObject *parent)
    : QObject(parent), m_file(std::move(file)), m_port(port)
{
    connect(port, &DeviceLink::SerialPort::taken, this,
            [this](const QByteArray &bytes) { taken(bytes, true); });
    connect(port, &DeviceLink::SerialPort::discarded, this,
            [this](const QByteArray &bytes) { taken(bytes, false); });
}

ExchangeRecord::~ExchangeRecord()
{
    writeEnded();
}

ExchangeRecord::Exchange::Exchange(ExchangeRecord *record, const QString &command)
    : m_record(record), m_entry(record ? record->begin(command) : nullptr)
{ }

ExchangeRecord::Exchange::~Exchange()
{
    if (m_entry)
        m_record->end(m_entry);
}

void ExchangeRecord::Exchange::notSent(const QString &reason)
{
    if (m_entry)
        m_entry->outcome = reason;
}

void ExchangeRecord::Exchange::windowClosed()
{
    if (m_entry && m_entry->reply.isEmpty())
        m_entry->outcome = QStringLiteral("window closed");
}

ExchangeRecord::Entry *ExchangeRecord::begin(const QString &command)
{
    auto entry = std::make_unique<Entry>();
    const QDateTime now = QDateTime::currentDateTime();
    entry->writtenAt = now.toOffsetFromUtc(now.offsetFromUtc());
    entry->port = m_port->CommPort();
    entry->device = m_port->devicePath();
    entry->command = command;
    entry->wait.start();
    m_entries.push_back(std::move(entry));
    return m_entries.back().get();
}

void ExchangeRecord::end(Entry *entry)
{
    entry->ended = true;
    entry->waitMs = entry->wait.elapsed();
    if (entry->outcome.isEmpty())
        entry->outcome =
            entry->reply.isEmpty() ? QStringLiteral("no reply") : QStringLiteral("reply");
    if (m_writePosted)
        return;
    m_writePosted = true;
    // After the window has drawn the reply: Qt posts a widget's repaint with low priority too,
    // and did so when the reply was set.
    QCoreApplication::postEvent(this, new QEvent(WriteEvent), Qt::LowEventPriority);
}

void ExchangeRecord::taken(const QByteArray &bytes, bool shown)
{
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (!(*entry)->ended) {
            (*entry)->bytes += bytes;
            if (shown)
                (*entry)->reply = bytes;
            return;
        }
    }
}

bool ExchangeRecord::event(QEvent *event)
{
    if (event->type() != WriteEvent)
        return QObject::event(event);
    m_writePosted = false;
    writeEnded();
    return true;
}

void ExchangeRecord::writeEnded()
{
    while (!m_entries.empty() && m_entries.front()->ended) {
        m_unwritten += line(*m_entries.front());
        m_entries.pop_front();
    }
    if (m_unwritten.isEmpty())
        return;
    QString why;
    if (m_file.append(m_unwritten, Header, &why)) {
        m_unwritten.clear();
        m_failing = false;
        return;
    }
    if (!m_failing) {
        std::fprintf(stderr, "telvaronix: the record cannot be written to %s: %s\n",
                     qPrintable(m_file.path()), qPrintable(why));
        std::fflush(stderr);
    }
    m_failing = true;
    if (m_unwritten.size() > MaxUnwritten)
        m_unwritten.remove(0, m_unwritten.indexOf('\n', m_unwritten.size() - MaxUnwritten) + 1);
}

QByteArray ExchangeRecord::line(const Entry &entry)
{
    return field(entry.writtenAt.toString(Qt::ISODateWithMs)) + ',' +
        QByteArray::number(entry.port) + ',' + field(entry.device) + ',' + field(entry.command) +
        ',' + field(entry.outcome) + ',' + field(shownReply(entry.reply)) + ',' +
        entry.bytes.toHex(' ') + ',' + QByteArray::number(entry.waitMs) + "\r\n";
}
