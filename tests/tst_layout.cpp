// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowparts.h"

#include <main_window/Telvaronix>

#include <QAccessible>
#include <QComboBox>
#include <QFocusFrame>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void window_hasItsTitleAndFixedClientArea();
    void control_sitsAtItsPlaceWithItsTexts_data();
    void control_sitsAtItsPlaceWithItsTexts();
    void commandButtons_lieInsideTheFrame();
    void portList_offersC1ToC8Only();
    void portList_isDrawnAboveItsLabel();
    void banner_showsAtNaturalSize();
    void focus_startsOnComando4AndFollowsTheTabOrder();

private:
    // No device at all: port 1 cannot open, and the warning is answered.
    std::unique_ptr<WindowWithoutDevice> m_shown;
    Telvaronix *m_window = nullptr;
};

void tst_Layout::initTestCase()
{
    m_shown = std::make_unique<WindowWithoutDevice>();
    m_window = &m_shown->window;
    QVERIFY(m_shown->show());
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void tst_Layout::cleanupTestCase()
{
    m_shown.reset();
}

void tst_Layout::window_hasItsTitleAndFixedClientArea()
{
    QCOMPARE(m_window->windowTitle(), "Telvaronix");
    QCOMPARE(m_window->objectName(), "Telvaronix");
    QCOMPARE(m_window->size(), QSize(457, 266));
    QCOMPARE(m_window->minimumSize(), QSize(457, 266));
    QCOMPARE(m_window->maximumSize(), QSize(457, 266));
}

void tst_Layout::control_sitsAtItsPlaceWithItsTexts_data()
{
    // Each row is named after its control.
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    // Two strings in a row would each have a line of their own.
    // clang-format off
    QTest::newRow("Frame1") << QRect(240, 240, 1935, 2295) << "" << "";
    QTest::newRow("Cmd1") << QRect(240, 240, 1335, 375) << "Comando 1" << "Enciende los Leds";
    QTest::newRow("Cmd2") << QRect(240, 720, 1335, 375) << "Comando 2" << "Apaga los leds";
    QTest::newRow("Cmd3") << QRect(240, 1200, 1335, 375) << "Comando 3" << "Hace un bip corto";
    QTest::newRow("Cmd4") << QRect(240, 1680, 1335, 375) << "Comamdo 4" << "Señal acustica y luminosa";
    QTest::newRow("Label1") << QRect(2280, 600, 1575, 375) << "Recepción:" << "";
    QTest::newRow("Lbl1") << QRect(2280, 1080, 4455, 495) << "" << "";
    QTest::newRow("Label20") << QRect(3720, 2040, 1215, 255) << "Puerto COM" << "";
    QTest::newRow("ComboCom") << QRect(4800, 1920, 720, 315) << "C1" << "";
    QTest::newRow("Command1") << QRect(5640, 1920, 615, 375) << "Comm" << "";
    QTest::newRow("Image10") << QRect(240, 2640, 6465, 930) << "" << "";
    // clang-format on
}

void tst_Layout::control_sitsAtItsPlaceWithItsTexts()
{
    const QString name = QTest::currentDataTag();
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    QFETCH(QString, hint);

    auto *control = m_window->findChild<QWidget *>(name);
    QVERIFY(control);
    constexpr int twipsPerPixel = 15;
    const QRect pixels(twips.x() / twipsPerPixel, twips.y() / twipsPerPixel,
                       twips.width() / twipsPerPixel, twips.height() / twipsPerPixel);
    QCOMPARE(control->geometry(), pixels);
    // The reply label shows from the first reply on.
    QCOMPARE(control->isVisible(), name != "Lbl1");
    QCOMPARE(control->toolTip(), hint);

    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), text);
    else if (auto *list = qobject_cast<QComboBox *>(control))
        QCOMPARE(list->currentText(), text);
    else if (auto *frame = qobject_cast<QFrame *>(control))
        QVERIFY(frame->frameShape() != QFrame::NoFrame && text.isEmpty());
    else
        QFAIL("unexpected kind of control");
}

void tst_Layout::commandButtons_lieInsideTheFrame()
{
    auto *frame = m_window->findChild<QWidget *>("Frame1");
    for (const char *name : {"Cmd1", "Cmd2", "Cmd3", "Cmd4"})
        QCOMPARE(m_window->findChild<QWidget *>(name)->parentWidget(), frame);
}

void tst_Layout::portList_offersC1ToC8Only()
{
    const WindowParts &parts = m_shown->parts;
    QVERIFY(!parts.ComboCom->isEditable());
    QCOMPARE(parts.ComboCom->count(), 8);
    // A screen reader reads the chosen entry as the list's value, under the label's name.
    QAccessibleInterface *described = QAccessible::queryAccessibleInterface(parts.ComboCom);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(parts.ComboCom->itemText(i), "C" + QString::number(i + 1));
        parts.ComboCom->setCurrentIndex(i);
        QCOMPARE(described->text(QAccessible::Value), parts.ComboCom->itemText(i));
    }
    QCOMPARE(described->text(QAccessible::Name), "Puerto COM");
    parts.ComboCom->setCurrentIndex(0);
}

void tst_Layout::portList_isDrawnAboveItsLabel()
{
    const WindowParts &parts = m_shown->parts;
    auto *label = m_window->findChild<QWidget *>("Label20");
    QVERIFY(label->geometry().intersects(parts.ComboCom->geometry()));
    const QPoint overlap = parts.ComboCom->geometry().topLeft() + QPoint(2, 10);
    QCOMPARE(m_window->childAt(overlap), parts.ComboCom);
}

void tst_Layout::banner_showsAtNaturalSize()
{
    auto *banner = m_window->findChild<QLabel *>("Image10");
    const QPixmap picture = banner->pixmap();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.deviceIndependentSize(), QSizeF(431, 62));
    QVERIFY(!banner->hasScaledContents());
}

void tst_Layout::focus_startsOnComando4AndFollowsTheTabOrder()
{
    // A fresh window, so that the first focus is what the window itself chose.
    Telvaronix window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget()->objectName(), "Cmd4");

    QStringList order;
    // Leaving the port list reopens the port (no device here: a warning, answered); the
    // window's own focus is what counts.
    for (int i = 0; i < 7; ++i) {
        order << window.focusWidget()->objectName();
        // The ring drawn around the focused control goes with the focus, while the window
        // has it (the warning takes it for a while).
        if (QApplication::focusWidget() == window.focusWidget())
            QCOMPARE(window.findChild<QFocusFrame *>()->widget(), window.focusWidget());
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"Cmd4", "Cmd3", "Cmd2", "Cmd1", "ComboCom", "Command1", "Cmd4"}));

    for (const char *name : {"Frame1", "Label1", "Lbl1", "Label20", "Image10"})
        QCOMPARE(window.findChild<QWidget *>(name)->focusPolicy(), Qt::NoFocus);
}

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
