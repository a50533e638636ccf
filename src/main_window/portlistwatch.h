// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QAbstractItemView;
class QComboBox;
class QWidget;

// Tells, as signals, what a person does with the window's port list: it takes the focus, its
// drop-down opens and closes, a hint is about to show, and the focus leaves it for another
// control of the window.
//
// Leaving is the one that takes care. Opening the drop-down moves the focus into it (twice,
// the first time), and a warning box, another application or the window's closing take the
// window's activation: none of these leaves the list. A click on a button that takes the focus
// leaves it, and `left` is emitted before the press reaches the button, so that the port
// changes before the click runs. Where the window is not active yet when that press arrives
// (Qt's Wayland platform activates a window only after a round trip to the compositor, and
// X11 without a window manager never does on a click), Qt moves the focus without telling the
// list: the press on the control that took it tells instead.
//
// A warning shown meanwhile takes the mouse release; the press still on its way is then stale
// and is kept from its button, which would otherwise stay drawn pressed.
class PortListWatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortListWatch)

public:
    // Watches `list`, one of `window`'s controls.
    PortListWatch(QComboBox *list, QWidget *window);

signals:
    void focused();
    void opened();
    // Once the drop-down has gone and the entry chosen there is current.
    void closed();
    // A tool tip is about to show for the entry, on the list itself or in its drop-down.
    void hintWanted(int entry);
    void left();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Highlights the chosen entry in the drop-down, as it opens or is dismissed.
    void highlightChosenEntry();
    bool isFocusLoss(const QEvent *event) const;
    bool isPressThatTookTheFocus(const QObject *control, const QEvent *event) const;
    // Emits left(); true when a mouse press that was on its way has gone stale meanwhile.
    bool leave();

    QComboBox *const m_list;
    QAbstractItemView *const m_view;
    // The drop-down's entries, where their hints show, and the drop-down itself.
    QWidget *const m_entries;
    QWidget *const m_dropDown;
    QWidget *const m_window;
    // Whether the window's focus is in the list, as far as the window is concerned: deactivating
    // the window keeps it there.
    bool m_holdsFocus = false;
    bool m_windowClosing = false;
};
