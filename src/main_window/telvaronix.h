// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QTimer;
class SerialPort;

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
//  - ComboCom_LostFocus reopens the port chosen in the list and stores the choice;
//  - the list's hints, refreshed whenever one is about to show, name each port's device;
//  - serial adapters plugged in get port numbers at start and whenever the list is about to
//    be used (see device_link/adapternumbering.h).
// The controls come from the form (telvaronix.ui) as `ui`, under the names the form gives.
// Handlers that meet failures along the way (Form_Load, ComboCom_LostFocus) carry on and show
// one warning at the end; a failure inside a command exchange just ends that command.
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

    void Form_Load();
    void ComboCom_LostFocus();

    void Cmd1_Click();
    void Cmd2_Click();
    void Cmd3_Click();
    void Cmd4_Click();
    void Timer1_Timer();

    void SendCommand(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The banner's picture for a label of `size`, sharp at the screen's density.
    static QPixmap banner(const QSize &size, qreal devicePixelRatio);
    static QRect availableScreenArea();
    void placeOnScreen(const QRect &available);
    void WaitForReply();
    // Sends a command from a button's click: a failing port operation ends the command
    // quietly, as nothing in an exchange is reported.
    void sendCommandFromClick(const QString &text);
    // The port list (portlist.cpp): its events, its hints and the numbering of adapters.
    void watchPortList();
    void portListFocused();
    void portListOpened();
    // Tells, on the list and on each entry of its drop-down, which device the entry's port
    // opens and what stands in its way.
    void updatePortHint(int entry);
    // The same, on the entry alone.
    void describeEntry(int entry);
    // Gives adapters plugged in since the last look their port numbers before a port is
    // chosen: at start, and when the list takes the focus or opens; never while a wait runs.
    void numberAdaptersBeforeChoosing();
    void showWarning();

    const std::unique_ptr<Ui::TelvaronixForm> ui;
    QTimer *const Timer1;
    SerialPort *const Coom1;
    qint64 Ticks = 0;
    // Set once the window is closed: waits still running end at their next look.
    bool closed = false;
    // How many waits are running, nested inside one another.
    int waitsRunning = 0;
    // From the drop-down's opening until the entry chosen there has been made current.
    bool dropDownInUse = false;
};
