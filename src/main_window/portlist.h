// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QComboBox>

class QAbstractItemView;

// The window's port list, "C1" to "C8", and what it tells of each port, to the eye and to
// screen readers.
//
//  - Each entry's hint names the device its port opens, what an adapter says it is, and what
//    stands in its way (porthint.h). It is looked up afresh whenever it is about to show, on the
//    list and on an entry of the drop-down: devices come and go, and other programs take them.
//    A screen reader reads it as the entry's description, just after the entry itself.
//  - The drop-down opens on the chosen entry, and Escape leaves that entry highlighted.
//  - Screen readers are told of the entry that Up or Down chooses in the closed list, and of the
//    open drop-down's current entry; what they meet of the list is in portlistaccessible.h.
// Its own handling of its events comes after that of the filters installed on it later, such as
// the window's watch (portlistwatch.h), which gives new adapters their numbers first.
class PortList : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortList)

public:
    explicit PortList(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void entryChosen(int entry);
    void dropDownShown();
    // Highlights the chosen entry in the drop-down, as it opens or is dismissed.
    void highlightChosenEntry();
    // Looks up and stores the hint of `entry`'s port: its tool tip, and its description for
    // screen readers; the list's tool tip too when it is the chosen entry.
    void storeHint(int entry);
    // The same, and the list's own description when it is the chosen entry.
    void updateHint(int entry);
    // The list's own description, which a screen reader reads with it: its entry's.
    void describeListByItsEntry();
    // Tells screen readers that the closed list shows a new entry.
    void announceNewEntry();
    // Tells screen readers which entry of the open drop-down is current.
    void announceCurrentEntry();

    QAbstractItemView *const m_entries;
    QWidget *const m_dropDown;
    // From the drop-down's opening until the entry chosen there has been made current.
    bool m_dropDownInUse = false;
};
