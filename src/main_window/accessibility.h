// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class QAbstractItemView;
class QComboBox;
class QLabel;
class QWidget;

// What a screen reader meets in the window, through Qt's accessibility bridge (AT-SPI on
// Linux, where Orca reads it).
//
// Qt describes a top-level QWidget as a filler and a QFrame as a frame, the role that AT-SPI
// keeps for top-level windows; Orca then drops the focus events inside that frame, and Tab
// onto a button says nothing. Here the window is a window, its frame a grouping, the port list
// named by its label rather than by its entry, and the reply label a notification, named by its
// label and described by the reply it shows: Qt 6.4 has no call that makes a screen reader
// speak, but Orca speaks a notification when it is shown, introducing it by its name (Orca 48)
// or its label (Orca 43), both "Recepción:", and reading its description. The names, the
// labels' buddies and the banner's name are set in the form.

// The controls of a window that are more than Qt makes of them, by object name.
struct ScreenReaderParts
{
    // The frame that groups the command buttons.
    QString grouping;
    // The label that shows the replies.
    QString reply;
};

// Has Qt describe `window` and its controls as above, from now on. Called before the window's
// controls are made: Qt keeps the description it first gives of an object. Its one combo box
// is the port list, since the form fills that list before it names it.
void describeToScreenReaders(QWidget *window, const ScreenReaderParts &parts);

// Tells screen readers that the closed port list shows a new entry, which Orca then speaks with
// the entry's hint (its item's accessible description). From Qt 6.5 on, Qt's own report of the
// list's new selection does this, and Orca 48 reads the selected entry. Qt 6.4 has no selection
// to tell of, and reports a description's change without the new text; Orca 43 then speaks text
// that takes the place of selected text, and the list's one line of text, its entry, is
// selected whole.
void announceNewEntry(QComboBox *list);

// Tells screen readers which entry of the open drop-down `entries` is current: Qt tells only
// that the drop-down took the focus, and Orca then names no entry.
void announceCurrentEntry(QAbstractItemView *entries);

// Shows a new reply in `replyLabel` to screen readers, which Orca then speaks once. The label
// stays hidden until the first reply, so that the window's appearing does not show an empty
// notification, which Orca would announce as a bare "notification".
void showReply(QLabel *replyLabel);
