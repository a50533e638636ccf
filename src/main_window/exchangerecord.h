// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "recordfile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

#include <deque>
#include <memory>

namespace DeviceLink {
class SerialPort;
}

// A record of every exchange, kept beside the window when asked for (telvaronix --log FILE): one
// line of CSV (RFC 4180, UTF-8) per press of a command button, appended to a file.
//
// Its columns: the time the command was written (ISO 8601, local time with its offset, to the
// millisecond); the port number; the device that was open; the command; the outcome ("reply",
// "no reply", "window closed", or why the command was not sent, such as "no port open"); the
// reply as the window shows it, each byte as its Latin-1 character; every byte the wait took
// from the receive buffer, read or discarded, in hex, so that control characters, a short answer
// and late characters kept for the next press are all there; and how long the wait took, in
// milliseconds. A reply that begins as a spreadsheet formula does (=, +, -, @) is written with
// a ' in front, so that no spreadsheet runs what a device sent; its bytes are there as they came.
//
// A line goes to the file once its exchange has ended and the window has drawn what it showed:
// the record never delays a reply. A press during another's wait gets a line of its own after
// that other's, in the order the commands were written. Nothing is written or woken while
// nothing happens. A write that fails is told once on standard error; its lines are written with
// the next one that works.
class ExchangeRecord : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExchangeRecord)

    struct Entry;

public:
    static const QByteArray Header;

    // Keeps the record in `file` of the exchanges through `port`.
    ExchangeRecord(RecordFile file, const DeviceLink::SerialPort *port, QObject *parent);
    ~ExchangeRecord() override;

    // One press on record, from the press to the end of its command's wait; nothing when no
    // record is kept.
    class Exchange
    {
        Q_DISABLE_COPY_MOVE(Exchange)

    public:
        Exchange(ExchangeRecord *record, const QString &command);
        ~Exchange();

        // The command was not written, for `reason`.
        void notSent(const QString &reason);
        // The window closed while the wait ran.
        void windowClosed();

    private:
        ExchangeRecord *const m_record;
        Entry *m_entry = nullptr;
    };

protected:
    bool event(QEvent *event) override;

private:
    struct Entry
    {
        QDateTime writtenAt;
        int port = 0;
        QString device;
        QString command;
        QString outcome;
        QByteArray reply;
        QByteArray bytes;
        QElapsedTimer wait;
        qint64 waitMs = 0;
        bool ended = false;
    };

    Entry *begin(const QString &command);
    void end(Entry *entry);
    // The bytes that the wait running innermost took from the receive buffer.
    void taken(const QByteArray &bytes, bool shown);
    void writeEnded();
    static QByteArray line(const Entry &entry);

    const RecordFile m_file;
    const DeviceLink::SerialPort *const m_port;
    // In the order the commands were written, until they are on record.
    std::deque<std::unique_ptr<Entry>> m_entries;
    // Lines that a failed write left to be written.
    QByteArray m_unwritten;
    bool m_writePosted = false;
    bool m_failing = false;
};
