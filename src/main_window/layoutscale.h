// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QRect>

class QWidget;

// Growing the window's layout with its text: every position and size of the form, laid out
// in pixels at 96 dpi, multiplied by one factor. At factor 1 nothing moves.

// `rect` at `scale`, each edge rounded to the nearest pixel.
QRect scaledRect(const QRect &rect, qreal scale);

// Scales every control of `window`, which is laid out at factor 1, and fixes the window's
// size at its scaled size.
void scaleLayout(QWidget *window, qreal scale);
