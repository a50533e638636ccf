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
    // Sends a command from a button's click: a failing port operation ends the command
    // quietly, as nothing in an exchange is reported.
    void sendCommandFromClick(const QString &text);
    void showWarning();
    // The port list (portlist.cpp): its hints and the numbering of adapters.
    void portListFocused();
    void portListOpened();
    void portListEntryChanged(int entry);
    // Tells, on the list and on each entry of its drop-down, which device the entry's port
    // opens and what stands in its way.
    void updatePortHint(int entry);
    // The same, on the entry alone.
    void describeEntry(int entry);
    // Gives adapters plugged in since the last look their port numbers before a port is
    // chosen: at start, and when the list takes the focus or opens; never while a wait runs.
    void numberAdaptersBeforeChoosing();

    const std::unique_ptr<Ui::TelvaronixForm> m_ui;
    QTimer *const Timer1;
    SerialPort *const Coom1;
    qint64 Ticks = 0;
    // Set once the window is closed: waits still running end at their next look.
    bool m_closed = false;
    // How many waits are running, nested inside one another.
    int m_waitsRunning = 0;
    // From the drop-down's opening until the entry chosen there has been made current.
    bool m_dropDownInUse = false;
};
