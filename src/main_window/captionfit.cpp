// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "captionfit.h"

#include "telvaronix.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>

#include <cmath>

namespace {
// Clear pixels between a caption's letters and its area's edge on each side, so that they
// do not touch a button's frame or the port list.
constexpr qreal Air = 1.0;
// Nothing is set smaller than this, fitting or not.
constexpr qreal SmallestPointSize = 6.0;
// A reply of wide capitals: what the reply label must hold on one line.
const QString WidestReply = QString(Telvaronix::ReplyLength, u'W');

struct Caption
{
    QString text;
    QRectF area;
};

QRectF buttonArea(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

QRectF listArea(const QComboBox *list)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    option.frame = list->hasFrame();
    return list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                         list);
}

// A label's area ends where a control that is drawn above it (a later sibling) begins.
QRectF labelArea(const QLabel *label)
{
    QRect area = label->contentsRect();
    const QObjectList &siblings = label->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(label) + 1; i < siblings.size(); ++i) {
        const auto *above = qobject_cast<const QWidget *>(siblings.at(i));
        if (!above || !above->geometry().intersects(label->geometry()))
            continue;
        area.setRight(std::min(area.right(), above->x() - label->x() - 1));
    }
    return area;
}

QList<Caption> captions(const QWidget *window, const QLabel *replyLabel)
{
    QList<Caption> found;
    for (const QPushButton *button : window->findChildren<QPushButton *>())
        found.append({button->text(), buttonArea(button)});
    for (const QComboBox *list : window->findChildren<QComboBox *>()) {
        for (int entry = 0; entry < list->count(); ++entry)
            found.append({list->itemText(entry), listArea(list)});
    }
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label == replyLabel)
            found.append({WidestReply, labelArea(label)});
        else if (!label->text().isEmpty())
            found.append({label->text(), labelArea(label)});
    }
    return found;
}
} // namespace

bool captionsFit(const QWidget *window, const QLabel *replyLabel, const QFont &font)
{
    const QFontMetricsF metrics(font);
    for (const Caption &caption : captions(window, replyLabel)) {
        const qreal inkWidth = metrics.tightBoundingRect(caption.text).width();
        if (metrics.horizontalAdvance(caption.text) > caption.area.width() ||
            inkWidth + 2 * Air > caption.area.width() || metrics.height() > caption.area.height())
            return false;
    }
    return true;
}

QFont fittingFont(const QWidget *window, const QLabel *replyLabel, const QFont &desktopFont)
{
    QFont font = desktopFont;
    if (font.pointSizeF() <= 0)
        return font; // sized in pixels: left as the desktop set it
    // Half points, so that a desktop's 10.5 stays 10.5 when it fits.
    qreal size = std::floor(font.pointSizeF() * 2) / 2;
    for (; size > SmallestPointSize; size -= 0.5) {
        font.setPointSizeF(size);
        if (captionsFit(window, replyLabel, font))
            return font;
    }
    font.setPointSizeF(SmallestPointSize);
    return font;
}
