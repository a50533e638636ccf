// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QFont>

class QLabel;
class QWidget;

// Keeping the fixed layout readable under any desktop font.
//
// The controls keep their places and sizes in pixels, but the desktop chooses the font, and
// at 11 points "Puerto COM" would run under the port list and the buttons' captions would
// touch their frames. The window therefore uses the desktop's font family at the largest
// size, in half points and never above the desktop's own size, at which every caption fits
// whole in its control. A person who wants larger text uses the desktop's scale factor,
// which scales the whole window, layout and font together.

// Whether every caption of the window's controls fits whole in the part of the control that
// shows it (for a button, the style's area inside its frame), in `font`, with a clear pixel
// between its letters and that area's edges. A label's
// visible part ends where a control drawn above it begins; `replyLabel` must hold the widest
// reply of Telvaronix::ReplyLength characters on one line.
bool captionsFit(const QWidget *window, const QLabel *replyLabel, const QFont &font);

// The desktop's font at the largest size at which captionsFit() holds.
QFont fittingFont(const QWidget *window, const QLabel *replyLabel, const QFont &desktopFont);
