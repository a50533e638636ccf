// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "ui_telvaronix.h"

#include <QString>
#include <QWidget>

class QTimer;
class SerialPort;

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
// Handlers that meet failures along the way (Form_Load, ComboCom_LostFocus) carry on and show
// one warning at the end; a failure inside a command exchange just ends that command.
class Telvaronix : public QWidget, private Ui::TelvaronixForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Telvaronix)

public:
    static constexpr int ReplyLength = 20;
    static constexpr int TickLimit = 3;
    static constexpr int TickIntervalMs = 1000;
    // The banner's width in the form; its pictures come in one, two and four times that.
    static constexpr int BannerWidth = 431;
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
    bool eventFilter(QObject *watched, QEvent *event) override;
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
    bool isFocusLossOfPortList(const QEvent *event) const;
    // Tells, on the list and on each entry of its drop-down, which device the entry's port
    // opens and what stands in its way.
    void updatePortHint(int entry);
    // Gives adapters plugged in since the last look their port numbers, unless a wait runs.
    void numberNewAdapters();
    void showWarning();

    QTimer *const Timer1;
    SerialPort *const Coom1;
    qint64 Ticks = 0;
    // Set once the window is closed: waits still running end at their next look.
    bool closed = false;
    // How many waits are running, nested inside one another.
    int waitsRunning = 0;
};
