// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

class QLabel;

// What a screen reader meets in the window, through Qt's accessibility bridge (AT-SPI on
// Linux, where Orca reads it).
//
// Qt describes a top-level QWidget as a filler and a QFrame as a frame, the role that AT-SPI
// keeps for top-level windows; Orca then drops the focus events inside that frame, and Tab
// onto a button says nothing. Here the window is a window, Frame1 a grouping, the port list
// named by its label rather than by its entry, and the reply label a notification, named and
// described by the reply it shows: Qt 6.4 has no call that makes a screen reader speak, but Orca
// speaks a notification when it is shown, introducing it by its label ("Recepción:") and reading
// its description. The names, the labels' buddies and the banner's name are set in the form.

// Has Qt describe the window's controls as above, from now on. Every window calls it; the
// description is installed the first time only.
void describeWindowToScreenReaders();

// Tells screen readers that `replyLabel` shows a new reply, which Orca then speaks.
void announceReply(QLabel *replyLabel);
