// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QAbstractItemView;
class QComboBox;
class QWidget;

// Tells, as signals, what a person does with the window's port list that the window acts on: it
// takes the focus, its drop-down opens, and the focus leaves it for another control.
//
// Leaving is the one that takes care. Opening the drop-down moves the focus into it (twice,
// the first time), and a warning box, another application or the window's closing take the
// window's activation: none of these leaves the list. A click on a control that takes the focus
// leaves it, and `left` is emitted before the press reaches the control, so that the port
// changes before the click runs (clickhold.h holds the click meanwhile). Where the window is not
// active yet when that press arrives (Qt's Wayland platform activates a window only after a
// round trip to the compositor, and X11 without a window manager never does on a click), Qt
// moves the focus without telling the list: the press on the control that took it tells instead.
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
    void left();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isFocusLoss(const QEvent *event) const;
    bool isPressThatTookTheFocus(const QObject *control, const QEvent *event) const;
    void leave();

    QComboBox *const m_list;
    QAbstractItemView *const m_view;
    QWidget *const m_dropDown;
    QWidget *const m_window;
    // Whether the window's focus is in the list, as far as the window is concerned: deactivating
    // the window keeps it there.
    bool m_holdsFocus = false;
};
