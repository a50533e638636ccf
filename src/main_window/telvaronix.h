// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class ClickHold;
class ExchangeRecord;
class QTimer;
class RecordFile;

namespace DeviceLink {
class SerialPort;
}

namespace Ui {
class TelvaronixForm;
}

// The program's one window.
//
// It owns every control (laid out in telvaronix.ui), the serial port Coom1, the one-second
// timer Timer1 and the tick counter Ticks, and runs all handlers on the user-interface thread:
//  - Form_Load, run once by the constructor, restores the stored port and opens it;
//  - Cmd1_Click to Cmd4_Click send their command with SendCommand, whose WaitForReply polls
//    Coom1 until the reply is complete or the fourth tick has come, processing events between
//    looks so that ticks, clicks and port changes run nested inside the wait;
//  - ComboCom_LostFocus reopens the port chosen in the list and stores the choice, with a
//    click that set it off held until it is done (clickhold.h);
//  - serial adapters plugged in, and the board's own UARTs, get port numbers at start and
//    whenever the list is about to be used (see device_link/adapternumbering.h).
// The port list tells by itself which device each port opens (portlist.h).
// The constructor connects every event to its handler. The controls, the timer, the port, the
// tick counter and the handlers bear the names of the program's description; the window's own
// state and helpers have names of the usual form. Handlers that meet failures along the way
// (Form_Load, ComboCom_LostFocus) carry on and show one warning at the end; a failure inside a
// command exchange just ends that command.
class Telvaronix : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Telvaronix)

public:
    static constexpr int ReplyLength = 20;
    static constexpr int TickLimit = 3;
    static constexpr int TickIntervalMs = 1000;
    static const QString WarningText;

    explicit Telvaronix(QWidget *parent = nullptr);
    ~Telvaronix() override;

    // Keeps a record of every exchange from now on, appended to `file` (exchangerecord.h).
    void keepRecord(RecordFile file);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void Cmd1_Click();
    void Cmd2_Click();
    void Cmd3_Click();
    void Cmd4_Click();
    void Timer1_Timer();
    void ComboCom_LostFocus();

private:
    void Form_Load();
    void SendCommand(const QString &text);
    void WaitForReply();

    // The banner's picture for a label of `size`, sharp at the screen's density.
    static QPixmap banner(const QSize &size, qreal devicePixelRatio);
    static QRect availableScreenArea();
    void placeOnScreen(const QRect &available);
    // Sends a command from a button's click, on record when one is kept: a failing port
    // operation ends the command quietly, as nothing in an exchange is reported.
    void sendCommandFromClick(const QString &text);
    void showWarning();
    // Gives adapters plugged in since the last look, and the board's own UARTs, their port
    // numbers before a port is chosen: at start, and when the list takes the focus or opens;
    // never while a wait runs.
    void numberNewDevicesBeforeChoosing();

    const std::unique_ptr<Ui::TelvaronixForm> m_ui;
    QTimer *const Timer1;
    DeviceLink::SerialPort *const Coom1;
    qint64 Ticks = 0;
    ClickHold *m_clickHold = nullptr;
    // Kept only when asked for.
    ExchangeRecord *m_record = nullptr;
    // Set once the window is closed: waits still running end at their next look, and a port
    // change under way opens no port.
    bool m_closed = false;
    // How many waits are running, nested inside one another.
    int m_waitsRunning = 0;
};
