// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QComboBox;
class QTimer;
class QWidget;
class SerialPort;

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
    SerialPort *Coom1;
};

// Takes the ticks out of the real clock's hands: the window's timer is slowed to an hour, and
// fireTick() delivers one tick at once, as the timer would.
void slowDownRealTicks(const WindowParts &parts);
void fireTick(const WindowParts &parts);
