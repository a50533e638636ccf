// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

// Working a Telvaronix window from a test: its warnings answered, its controls by name, its
// ticks in the test's hands, and a window with no device behind its port.

#include "isolatedconfig.h"

#include <main_window/Telvaronix>

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QComboBox;
class QTimer;
class QWidget;

namespace DeviceLink {
class SerialPort;
}

// What a test saw of one warning box.
struct SeenWarning
{
    QString title;
    QString text;
    int icon = -1;
    int buttonCount = 0;
    bool mainWindowVisible = false;
};

// Answers every warning box that opens while it lives: records what it showed and presses its
// OK button, as a person would.
class WarningAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit WarningAnswerer(QWidget *mainWindow = nullptr);
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }
    // Runs while a warning is open, just before it is answered.
    void setWhileOpen(std::function<void()> action) { m_whileOpen = std::move(action); }
    const QList<SeenWarning> &seen() const { return m_seen; }

private:
    void answer();
    QWidget *m_mainWindow;
    QList<SeenWarning> m_seen;
    std::function<void()> m_whileOpen;
};

// Looks into a Telvaronix window by object name, as tests and accessibility tools can.
struct WindowParts
{
    explicit WindowParts(QWidget *window);

    QPushButton *button(const QString &name) const;
    QPushButton *commandButton(int number) const { return button("Cmd" + QString::number(number)); }

    QWidget *window;
    QLabel *Lbl1;
    QComboBox *ComboCom;
    QTimer *Timer1;
    DeviceLink::SerialPort *Coom1;
};

// Takes the ticks out of the real clock's hands: the window's timer is slowed to an hour, and
// fireTick() delivers one tick at once, as the timer would.
void slowDownRealTicks(const WindowParts &parts);
void fireTick(const WindowParts &parts);

// A window in a configuration folder of its own, with no device behind its port: port 1 fails
// to open and its warning is answered. It is made at once, and shown by show().
struct WindowWithoutDevice
{
    IsolatedConfig config;
    WarningAnswerer warnings;
    Telvaronix window;
    WindowParts parts {&window};

    // Shows the window; true once it is exposed.
    bool show();
};
