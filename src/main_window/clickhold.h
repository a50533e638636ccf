// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QMouseEvent;
class QWidget;
class QWindow;

// Holds the click that moves the focus off the port list until the port change it sets off is
// done, so that the click runs after the change, on the new port.
//
// A mouse press on a control that takes the focus from the list sets the change off before the
// press reaches the control (see portlistwatch.h). The change processes events twice; until it
// is done:
//  - its DoEvents passes leave user input waiting, which Qt keeps meanwhile: the release would
//    otherwise reach the control before its press, and the click would be lost with the button
//    drawn pressed;
//  - a release that reaches the window all the same is held, and given back after its press:
//    Qt's Wayland platform, when it applies a configure from the compositor (such as the one
//    that activates the window), flushes every queued event, user input included;
//  - when a warning shown meanwhile takes the release, the press is stale: it is kept from its
//    control, which would otherwise stay drawn pressed with no release to follow;
//  - a close that comes meanwhile, which is no user input and is not kept waiting, is honoured:
//    DoEvents tells the change, which then opens no port and stores nothing.
// A change that a key set off holds nothing; only the close is looked for.
class ClickHold : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickHold)

public:
    // Holds the clicks on the controls of `window`, which `windowClosed` tells is closed. Made
    // before anything else watches those controls: the filters of an object run latest first,
    // and this one must see a press after the watch that lets it set a change off.
    ClickHold(QWidget *window, std::function<bool()> windowClosed);
    ~ClickHold() override;

    // The click on its way, if a mouse press set the port change off, is held while this lives.
    class WhilePortChanges
    {
        Q_DISABLE_COPY_MOVE(WhilePortChanges)

    public:
        explicit WhilePortChanges(ClickHold &hold) : m_hold(hold) { m_hold.begin(); }
        ~WhilePortChanges() { m_hold.end(); }

    private:
        ClickHold &m_hold;
    };

    // Processes the pending events, as DoEvents does, leaving user input waiting while a click
    // is held; false once the window has been closed.
    bool DoEvents();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void begin();
    void end();

    QWidget *const m_window;
    const std::function<bool()> m_windowClosed;
    // Port changes running, nested inside one another; what follows is the outermost one's.
    int m_changes = 0;
    bool m_holding = false;
    QPointer<QWindow> m_heldFor;
    std::unique_ptr<QMouseEvent> m_heldRelease;
    // A warning has blocked the window and taken the release.
    bool m_releaseTaken = false;
    // Until the events already queued have been handled.
    bool m_dropStalePress = false;
};
