// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The command exchange: a button's command goes out, the reply comes back into Lbl1.

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "accessibility.h"
#include "device_link/serialport.h"
#include "doevents.h"
#include "exchangerecord.h"

#include <QScopeGuard>

void Telvaronix::Cmd1_Click()
{
    sendCommandFromClick(QStringLiteral("cmd01 "));
}

void Telvaronix::Cmd2_Click()
{
    sendCommandFromClick(QStringLiteral("cmd02 "));
}

void Telvaronix::Cmd3_Click()
{
    sendCommandFromClick(QStringLiteral("cmd03 "));
}

void Telvaronix::Cmd4_Click()
{
    sendCommandFromClick(QStringLiteral("cmd04 "));
}

void Telvaronix::Timer1_Timer()
{
    ++Ticks;
}

void Telvaronix::keepRecord(RecordFile file)
{
    m_record = new ExchangeRecord(std::move(file), Coom1, this);
}

void Telvaronix::sendCommandFromClick(const QString &text)
{
    ExchangeRecord::Exchange exchange(m_record, text);
    try {
        SendCommand(text);
    } catch (const DeviceLink::SerialPort::Error &error) {
        // Most often the port is closed after a failed opening; the command just ends.
        exchange.notSent(Coom1->PortOpen() ? QString::fromUtf8(error.what())
                                           : QStringLiteral("no port open"));
    }
    if (m_closed)
        exchange.windowClosed();
}

void Telvaronix::SendCommand(const QString &text)
{
    Coom1->setOutput(text);
    DoEvents();
    WaitForReply();
}

void Telvaronix::WaitForReply()
{
    ++m_waitsRunning;
    const auto waitEnded = qScopeGuard([this] { --m_waitsRunning; });
    Ticks = 0;
    Coom1->setInputLen(ReplyLength);
    // Each pass sleeps until the next event (bytes on the line, a tick, input) and then runs
    // what is pending, so an idle wait costs nothing. The first pass only runs what is already
    // pending: characters that were waiting before the command may complete a reply at once.
    bool firstPass = true;
    for (;;) {
        DoEvents(firstPass ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
        firstPass = false;
        if (m_closed)
            return;
        const qint16 waiting = qint16(Coom1->InBufferCount());
        if (waiting > ReplyLength - 1) {
            const QString reply = Coom1->Input();
            DoEvents();
            m_ui->Lbl1->setText(reply);
            showReply(m_ui->Lbl1);
            Coom1->setInBufferCount(0);
            return;
        }
        if (Ticks > TickLimit)
            break;
    }
    Coom1->setInBufferCount(0);
}
