// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "captionfit.h"

#include "layoutscale.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace {
// Clear pixels between a caption's letters and its area's edge on each side, so that they
// do not touch a button's frame or the port list.
constexpr qreal Air = 1.0;
// The layout grows no further than this, whatever the screen: no desktop's font needs more.
constexpr qreal LargestScale = 8.0;
// The scale grows in these steps when a check finds the estimate a little short.
constexpr qreal ScaleStep = 0.01;
// Text in a window that the screen holds at no larger scale shrinks no further than this.
constexpr qreal SmallestPointSize = 4.0;

// A caption and the part of its control that shows it, at some scale. The control's own size
// tells how much of it is frame and margin, which keep their size in pixels when it grows.
struct Caption
{
    QString text;
    QRectF area;
    QSizeF control;
};

QSize scaledSize(const QWidget *widget, qreal scale)
{
    return scaledRect(widget->geometry(), scale).size();
}

Caption buttonCaption(const QPushButton *button, qreal scale)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.rect = QRect(QPoint(), scaledSize(button, scale));
    return {button->text(),
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button),
            option.rect.size()};
}

QRectF listArea(const QComboBox *list, qreal scale)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    option.frame = list->hasFrame();
    option.rect = QRect(QPoint(), scaledSize(list, scale));
    return list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                         list);
}

// A label's area ends where a control that is drawn above it (a later sibling) begins.
Caption labelCaption(const QLabel *label, const QString &text, qreal scale)
{
    const QRect placed = scaledRect(label->geometry(), scale);
    QRect area(QPoint(), placed.size());
    const QObjectList &siblings = label->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(label) + 1; i < siblings.size(); ++i) {
        const auto *above = qobject_cast<const QWidget *>(siblings.at(i));
        if (!above || above->isWindow() || !above->geometry().intersects(label->geometry()))
            continue;
        area.setRight(
            std::min(area.right(), scaledRect(above->geometry(), scale).x() - placed.x() - 1));
    }
    // What lies beyond the area scales with the layout; only the pixel kept clear does not.
    return {text, area, QSizeF(area.width() + 1, placed.height())};
}

QList<Caption> captions(const QWidget *window, const QLabel *replyLabel, int replyLength,
                        qreal scale)
{
    // A reply of wide capitals: what the reply label must hold on one line.
    const QString widestReply(replyLength, u'W');
    QList<Caption> found;
    for (const QPushButton *button : window->findChildren<QPushButton *>())
        found.append(buttonCaption(button, scale));
    for (const QComboBox *list : window->findChildren<QComboBox *>()) {
        const QRectF area = listArea(list, scale);
        for (int entry = 0; entry < list->count(); ++entry)
            found.append({list->itemText(entry), area, scaledSize(list, scale)});
    }
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label == replyLabel)
            found.append(labelCaption(label, widestReply, scale));
        else if (!label->text().isEmpty())
            found.append(labelCaption(label, label->text(), scale));
    }
    return found;
}

// The font's measures as the window draws it, at its screen's resolution. The application's
// font may have been resolved at another: Qt's Wayland platform makes it before it knows the
// screens, at the 100 dpi that Qt assumes without one.
QFontMetricsF metricsOn(const QWidget *window, const QFont &font)
{
    return QFontMetricsF(font, window);
}

QFont withPointSize(QFont font, qreal pointSize)
{
    font.setPointSizeF(pointSize);
    return font;
}

// The largest scale at which the window, laid out at factor 1, is no larger than `largest`;
// never below 1, the form's own size.
qreal largestScale(const QWidget *window, const QSize &largest)
{
    const qreal widthScale = largest.width() / qreal(window->width());
    const qreal heightScale = largest.height() / qreal(window->height());
    return std::clamp(std::min(widthScale, heightScale), 1.0, LargestScale);
}

// Point sizes go in half points, so that a desktop's 10.5 stays 10.5 when it fits.
qreal halfPointsBelow(qreal pointSize)
{
    return std::floor(pointSize * 2) / 2;
}
} // namespace

bool captionsFit(const QWidget *window, const QLabel *replyLabel, int replyLength,
                 const QFont &font, qreal scale)
{
    const QFontMetricsF metrics = metricsOn(window, font);
    for (const Caption &caption : captions(window, replyLabel, replyLength, scale)) {
        const qreal inkWidth = metrics.tightBoundingRect(caption.text).width();
        if (metrics.horizontalAdvance(caption.text) > caption.area.width() ||
            inkWidth + 2 * Air > caption.area.width() || metrics.height() > caption.area.height())
            return false;
    }
    return true;
}

WindowFit fitToDesktopFont(const QWidget *window, const QLabel *replyLabel, int replyLength,
                           const QFont &desktopFont, const QSize &largest)
{
    const qreal desktopSize = desktopFont.pointSizeF();
    if (desktopSize <= 0)
        return {desktopFont, 1.0}; // sized in pixels: left as the desktop set it

    // Advances and heights grow in proportion to the point size: one measurement at the
    // desktop's size tells at which size the captions fit the form, and by how much the form
    // must grow for them to fit at the desktop's size.
    const QFontMetricsF metrics = metricsOn(window, desktopFont);
    qreal shareThatFits = 1.0;
    qreal scale = 1.0;
    for (const Caption &caption : captions(window, replyLabel, replyLength, 1.0)) {
        const qreal width = metrics.horizontalAdvance(caption.text) + 2 * Air;
        const QSizeF border = caption.control - caption.area.size();
        shareThatFits = std::min({shareThatFits, caption.area.width() / width,
                                  caption.area.height() / metrics.height()});
        scale = std::max({scale, (width + border.width()) / caption.control.width(),
                          (metrics.height() + border.height()) / caption.control.height()});
    }

    // The form as it is, when its captions fit at close to the desktop's size. Hinting can
    // make a size a little wider than its proportion; then the form grows instead.
    const QFont fitting = withPointSize(desktopFont, halfPointsBelow(desktopSize * shareThatFits));
    if (fitting.pointSizeF() >= MinimumShareOfDesktopSize * desktopSize &&
        captionsFit(window, replyLabel, replyLength, fitting))
        return {fitting, 1.0};
    // The desktop's size, in a form grown until its captions fit, when it fits the screen.
    // (Counted in whole steps: added up, the steps would miss the largest scale by a hair.)
    const int largestSteps = int(std::floor(largestScale(window, largest) / ScaleStep));
    for (int steps = int(std::ceil(scale / ScaleStep)); steps <= largestSteps; ++steps) {
        if (captionsFit(window, replyLabel, replyLength, desktopFont, steps * ScaleStep))
            return {desktopFont, steps * ScaleStep};
    }
    // Too large for the screen: the window as large as it may be, with the largest text that
    // fits it.
    const qreal fullScale = largestSteps * ScaleStep;
    QFont font = withPointSize(desktopFont, halfPointsBelow(desktopSize));
    while (font.pointSizeF() > SmallestPointSize &&
           !captionsFit(window, replyLabel, replyLength, font, fullScale))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return {font, fullScale};
}
