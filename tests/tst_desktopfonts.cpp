// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowparts.h"

#include "main_window/captionfit.h"
#include <main_window/Telvaronix>

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleOption>
#include <QTest>

// The window under the fonts that desktops really set: text at the desktop's size or close to
// it, every caption whole inside its control, the layout grown with the text where it must.
class tst_DesktopFonts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void everyCaption_fitsItsControl_data();
    void everyCaption_fitsItsControl();
    void captionThatOverflows_failsTheFit_data();
    void captionThatOverflows_failsTheFit();

private:
    // Fails the test, naming the control, when `text` in `widget`'s own font overruns `area`.
    static void verifyFits(const QWidget *widget, const QString &text, const QRect &area);

    QFont m_defaultFont;
};

void tst_DesktopFonts::initTestCase()
{
    m_defaultFont = QApplication::font();
}

void tst_DesktopFonts::cleanup()
{
    QApplication::setFont(m_defaultFont);
}

void tst_DesktopFonts::verifyFits(const QWidget *widget, const QString &text, const QRect &area)
{
    const QFontMetricsF metrics(widget->font());
    const QString where = widget->objectName() + ": \"" + text + "\" in " +
        widget->font().family() + ' ' + QString::number(widget->font().pointSizeF());
    QVERIFY2(metrics.horizontalAdvance(text) <= area.width(), qPrintable(where));
    // A clear pixel between the letters' ink and each edge.
    QVERIFY2(metrics.tightBoundingRect(text).width() + 2 <= area.width(), qPrintable(where));
    QVERIFY2(metrics.height() <= area.height(), qPrintable(where));
}

void tst_DesktopFonts::everyCaption_fitsItsControl_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("pointSize");
    // The dots per inch the application's font was resolved at, when not the screen's.
    QTest::addColumn<int>("fontDpi");
    QTest::newRow("the default") << QString() << 0.0 << 0;
    // As Qt's Wayland platform makes it, before it knows the screens.
    QTest::newRow("the default, resolved at 100 dpi") << QString() << 0.0 << 100;
    QTest::newRow("GNOME: Cantarell 11") << "Cantarell" << 11.0 << 0;
    QTest::newRow("KDE: Noto Sans 10") << "Noto Sans" << 10.0 << 0;
    // The largest grow the window past a screen of 1280 by 1024.
    for (qreal size : {9.0, 10.0, 11.0, 14.0, 18.0, 26.0, 40.0})
        QTest::addRow("DejaVu Sans %g", size) << "DejaVu Sans" << size << 0;
}

void tst_DesktopFonts::everyCaption_fitsItsControl()
{
    QFETCH(QString, family);
    QFETCH(qreal, pointSize);
    QFETCH(int, fontDpi);
    if (!family.isEmpty()) {
        QVERIFY2(QFontDatabase::hasFamily(family), qPrintable(family + " is not installed"));
        QFont desktop(family);
        desktop.setPointSizeF(pointSize);
        QApplication::setFont(desktop);
    }
    if (fontDpi) {
        QImage atDpi(1, 1, QImage::Format_RGB32);
        atDpi.setDotsPerMeterX(qRound(fontDpi / 0.0254));
        atDpi.setDotsPerMeterY(qRound(fontDpi / 0.0254));
        QApplication::setFont(QFont(QApplication::font(), &atDpi));
    }

    WindowWithoutDevice shown;
    QVERIFY(shown.show());
    const Telvaronix &window = shown.window;
    if (family.isEmpty())
        QCOMPARE(window.size(), QSize(457, 266));
    else
        QCOMPARE(QFontInfo(window.font()).family(), family);
    // Wholly on the screen; the text at the desktop's size, or the window as large as the
    // screen takes.
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(screen.contains(window.frameGeometry()),
             qPrintable(QDebug::toString(window.frameGeometry())));
    const bool fillsTheScreen = window.frameGeometry().width() >= 0.9 * screen.width() ||
        window.frameGeometry().height() >= 0.9 * screen.height();
    const qreal desktopSize = QApplication::font().pointSizeF();
    QVERIFY(window.font().pointSizeF() <= desktopSize);
    QVERIFY(fillsTheScreen ||
            window.font().pointSizeF() >= MinimumShareOfDesktopSize * desktopSize);
    const auto *banner = window.findChild<QLabel *>("Image10");
    QCOMPARE(banner->pixmap().deviceIndependentSize(), QSizeF(banner->size()));

    for (const QPushButton *button : window.findChildren<QPushButton *>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        verifyFits(button, button->text(),
                   button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button));
    }
    const auto *list = window.findChild<QComboBox *>("ComboCom");
    QStyleOptionComboBox listOption;
    listOption.initFrom(list);
    const QRect entryArea = list->style()->subControlRect(QStyle::CC_ComboBox, &listOption,
                                                          QStyle::SC_ComboBoxEditField, list);
    for (int entry = 0; entry < list->count(); ++entry)
        verifyFits(list, list->itemText(entry), entryArea);

    const auto *received = window.findChild<QLabel *>("Label1");
    verifyFits(received, received->text(), received->contentsRect());
    const auto *reply = window.findChild<QLabel *>("Lbl1");
    verifyFits(reply, QString(Telvaronix::ReplyLength, 'W'), reply->contentsRect());
    // Only the part of "Puerto COM" left of the list, which is drawn above it, can be read.
    const auto *portLabel = window.findChild<QLabel *>("Label20");
    QRect visible = portLabel->contentsRect();
    visible.setRight(list->x() - portLabel->x() - 1);
    verifyFits(portLabel, portLabel->text(), visible);
}

void tst_DesktopFonts::captionThatOverflows_failsTheFit_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("fits");
    QTest::newRow("as it is") << "" << true;
    QTest::newRow("a button's caption") << "button" << false;
    QTest::newRow("a button too low for its caption") << "low button" << false;
    QTest::newRow("an entry of the port list") << "entry" << false;
    QTest::newRow("the reply label") << "reply" << false;
    QTest::newRow("a label") << "label" << false;
    QTest::newRow("the label up to the list drawn above it") << "covered label" << false;
}

void tst_DesktopFonts::captionThatOverflows_failsTheFit()
{
    QFETCH(QString, change);
    QFETCH(bool, fits);
    WindowWithoutDevice unshown;
    Telvaronix &window = unshown.window;
    const WindowParts &parts = unshown.parts;
    // Each change takes one caption over its room, by a pixel where that can be set.
    const QFontMetrics metrics(window.font());
    auto *label = window.findChild<QLabel *>("Label20");
    if (change == "button")
        parts.button("Command1")->setText("Commm");
    if (change == "low button")
        parts.button("Cmd1")->resize(89, metrics.height());
    if (change == "entry")
        parts.ComboCom->setItemText(7, "C8MM");
    if (change == "reply")
        parts.Lbl1->resize(metrics.horizontalAdvance(QString(20, 'W')) - 1, parts.Lbl1->height());
    if (change == "label")
        window.findChild<QLabel *>("Label1")->setText("Recepción: MMMMMMM");
    if (change == "covered label")
        parts.ComboCom->move(label->x() + metrics.horizontalAdvance(label->text()) - 1, 128);
    QCOMPARE(captionsFit(&window, parts.Lbl1, Telvaronix::ReplyLength, window.font()), fits);

    // A desktop size that fits the form as it is, is kept exactly.
    if (change.isEmpty()) {
        QFont small(QStringLiteral("DejaVu Sans"));
        small.setPointSizeF(6.5);
        const WindowFit fit = fitToDesktopFont(&window, parts.Lbl1, Telvaronix::ReplyLength, small,
                                               QSize(1920, 1080));
        QCOMPARE(fit.font.pointSizeF(), 6.5);
        QCOMPARE(fit.scale, 1.0);
    }
}

QTEST_MAIN(tst_DesktopFonts)
#include "tst_desktopfonts.moc"
