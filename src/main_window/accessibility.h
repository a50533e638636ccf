// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class QLabel;
class QWidget;

// What a screen reader meets in the window, through Qt's accessibility bridge (AT-SPI on
// Linux, where Orca reads it).
//
// Qt describes a top-level QWidget as a filler and a QFrame as a frame, the role that AT-SPI
// keeps for top-level windows; Orca then drops the focus events inside that frame, and Tab
// onto a button says nothing. Here the window is a window, its frame a grouping, and the reply
// label a notification, named by its label and described by the reply it shows: Qt 6.4 has no call
// that makes a screen reader speak, but Orca speaks a notification when it is shown, introducing it
// by its name (Orca 48) or its label (Orca 43), both "Recepción:", and reading its description. The
// names, the labels' buddies and the banner's name are set in the form.

// The controls of a window that are more than Qt makes of them, by object name.
struct ScreenReaderParts
{
    // The frame that groups the command buttons.
    QString grouping;
    // The label that shows the replies.
    QString reply;
};

// Has Qt describe `window` and its controls as above, from now on. Called before the window's
// controls are made: Qt keeps the description it first gives of an object. The port list's
// own description is in portlistaccessible.h.
void describeToScreenReaders(QWidget *window, const ScreenReaderParts &parts);

// Shows a new reply in `replyLabel` to screen readers, which Orca then speaks once. The label
// stays hidden until the first reply, so that the window's appearing does not show an empty
// notification, which Orca would announce as a bare "notification".
void showReply(QLabel *replyLabel);
