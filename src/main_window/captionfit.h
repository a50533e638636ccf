// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QFont>
#include <QSize>

class QLabel;
class QWidget;

// The window's text at the desktop's size.
//
// The desktop chooses the font (9 points by default, 14 or 18 for people who need larger
// text), and the controls have their places in the form. The text is drawn at no less than
// MinimumShareOfDesktopSize of the desktop's size, and every caption fits whole in its control:
// its advance within the part of the control that shows it, with a clear pixel of ink on each
// side. Where the desktop's size itself (in half points) or a little less fits the form, the
// layout stays as it is: Qt's default font needs nothing more. A larger font scales the whole
// layout by one factor (see layoutscale.h), as little as lets the text be drawn at the
// desktop's own size, but the window grows no larger than the screen holds: beyond that the
// text is drawn at the largest half-point size that fits the largest window. Density is Qt's
// device-pixel ratio, on top of all this.

constexpr qreal MinimumShareOfDesktopSize = 0.9;

struct WindowFit
{
    QFont font;
    qreal scale = 1.0;
};

// Whether every caption of the window's controls fits whole, in `font`, in the part of the
// control that shows it once the layout is scaled by `scale`: for a button the style's area
// inside its frame, for the port list its entry field, for a label its contents up to where a
// control drawn above it (a later sibling) begins. `replyLabel` must hold the widest reply of
// `replyLength` characters on one line. `window` is laid out at factor 1.
bool captionsFit(const QWidget *window, const QLabel *replyLabel, int replyLength,
                 const QFont &font, qreal scale = 1.0);

// The font and the layout's scale for the desktop's font, for a window that may be as large as
// `largest`. `window` is laid out at factor 1, and is never made smaller. The captions are
// measured once, at the desktop's size; the size and scale that follow from those advances are
// checked with captionsFit().
WindowFit fitToDesktopFont(const QWidget *window, const QLabel *replyLabel, int replyLength,
                           const QFont &desktopFont, const QSize &largest);
