// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"
#include "windowdriver.h"

#include <main_window/Telvaronix>

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>

// The window under the fonts that desktops really set: every caption whole inside its control,
// and the layout in pixels unchanged.
class tst_DesktopFonts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void everyCaption_fitsItsControl_data();
    void everyCaption_fitsItsControl();

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
    const QFontMetrics metrics(widget->font());
    const QString where = widget->objectName() + ": \"" + text + "\" in " +
        widget->font().family() + ' ' + QString::number(widget->font().pointSizeF());
    QVERIFY2(metrics.horizontalAdvance(text) <= area.width(), qPrintable(where));
    QVERIFY2(metrics.height() <= area.height(), qPrintable(where));
}

void tst_DesktopFonts::everyCaption_fitsItsControl_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("pointSize");
    QTest::newRow("the default") << QString() << 0.0;
    QTest::newRow("GNOME: Cantarell 11") << "Cantarell" << 11.0;
    QTest::newRow("GNOME with DejaVu Sans 11") << "DejaVu Sans" << 11.0;
    QTest::newRow("KDE: Noto Sans 10") << "Noto Sans" << 10.0;
    QTest::newRow("Xfce: DejaVu Sans 10") << "DejaVu Sans" << 10.0;
    QTest::newRow("large: DejaVu Sans 14") << "DejaVu Sans" << 14.0;
}

void tst_DesktopFonts::everyCaption_fitsItsControl()
{
    QFETCH(QString, family);
    QFETCH(qreal, pointSize);
    if (!family.isEmpty()) {
        QVERIFY2(QFontDatabase::hasFamily(family), qPrintable(family + " is not installed"));
        QFont desktop(family);
        desktop.setPointSizeF(pointSize);
        QApplication::setFont(desktop);
    }

    const IsolatedConfig config;
    const WarningAnswerer warnings; // no device: port 1 cannot open
    Telvaronix window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(457, 266));
    if (!family.isEmpty())
        QCOMPARE(QFontInfo(window.font()).family(), family);
    QVERIFY(window.font().pointSizeF() <= QApplication::font().pointSizeF());

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

QTEST_MAIN(tst_DesktopFonts)
#include "tst_desktopfonts.moc"
