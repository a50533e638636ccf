// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "layoutscale.h"

#include <QWidget>

#include <cmath>

namespace {
int scaled(int length, qreal scale)
{
    return int(std::lround(length * scale));
}

void scaleChildren(QWidget *parent, qreal scale)
{
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        // A window among the children (the port list's drop-down) places itself.
        if (!widget || widget->isWindow())
            continue;
        widget->setGeometry(scaledRect(widget->geometry(), scale));
        scaleChildren(widget, scale);
    }
}
} // namespace

QRect scaledRect(const QRect &rect, qreal scale)
{
    // Edges rather than sizes are rounded, so that neighbours stay as close as they were.
    const int left = scaled(rect.x(), scale);
    const int top = scaled(rect.y(), scale);
    return QRect(left, top, scaled(rect.x() + rect.width(), scale) - left,
                 scaled(rect.y() + rect.height(), scale) - top);
}

void scaleLayout(QWidget *window, qreal scale)
{
    if (scale != 1.0)
        scaleChildren(window, scale);
    window->setFixedSize(scaledRect(window->rect(), scale).size());
}
