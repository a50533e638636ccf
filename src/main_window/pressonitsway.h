// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QMouseEvent;
class QWidget;
class QWindow;

// A mouse press on its way to the button that took the focus from the port list, while the
// list's handler runs first and processes events (see portlistwatch.h). Qt keeps user input
// waiting meanwhile, so that the press reaches the button before its release. Two things can
// still come between them.

// Keeps one mouse press that is already on its way from reaching its widget.
//
// When the handler shows a modal warning, the warning takes the mouse release; the press
// itself reaches the button only after the handler returns and would leave it drawn pressed
// with no release to follow. This one-shot application filter swallows that press, and removes
// itself once the events already queued have been handled, whether or not the press came.
class StalePressFilter : public QObject
{
    Q_OBJECT

public:
    static void dropNextPress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StalePressFilter(QObject *parent);
};

// Holds back the mouse release that reaches a window while it lives, and gives it back to the
// window when it ends, after the press that is on its way.
//
// Qt's Wayland platform, when it applies a configure from the compositor (such as the one that
// activates the window), flushes every queued event, user input included, whatever the
// handler asked for: the release would reach the button before its press, and the click would
// be lost.
class ReleaseHold : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReleaseHold)

public:
    explicit ReleaseHold(const QWidget *window);
    ~ReleaseHold() override;

    bool holdsRelease() const { return m_held != nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWindow> m_window;
    std::unique_ptr<QMouseEvent> m_held;
    bool m_blocked = false;
};
