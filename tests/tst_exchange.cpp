// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowondevice.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <memory>

class tst_Exchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void button_writesItsCommandAndShowsTheReply_data();
    void button_writesItsCommandAndShowsTheReply();
    void replyInPieces_showsOnceTheTwentiethArrives();
    void longReply_showsTheFirstTwentyAndDiscardsTheRest();
    void shortReply_isDiscardedAtTheFourthTick();
    void charactersFromBefore_countForTheNextWait();
    void reply_isShownUnchanged_data();
    void reply_isShownUnchanged();
    void pressDuringAWait_nestsAndRestartsTheTickCount();
    void closedPort_pressSendsAndShowsNothing();
    void unansweredWait_endsWithinFourSecondsWithoutSpinning();
    void closingTheWindow_endsRunningWaitsAtOnce();

private:
    std::unique_ptr<WindowOnDevice> w;
    int m_ticksFired = 0;
};

void tst_Exchange::init()
{
    w = std::make_unique<WindowOnDevice>();
    m_ticksFired = 0;
    QVERIFY(w->start());
}

void tst_Exchange::cleanup()
{
    w.reset();
}

void tst_Exchange::button_writesItsCommandAndShowsTheReply_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("Comando 1") << 1 << QByteArray("cmd01 ");
    QTest::newRow("Comando 2") << 2 << QByteArray("cmd02 ");
    QTest::newRow("Comando 3") << 3 << QByteArray("cmd03 ");
    QTest::newRow("Comamdo 4") << 4 << QByteArray("cmd04 ");
}

void tst_Exchange::button_writesItsCommandAndShowsTheReply()
{
    QFETCH(int, button);
    QFETCH(QByteArray, command);
    w->onCommand = [this](const QByteArray &received) {
        w->device.write("REPLY TO " + received + "ABCDE");
    };
    w->press(button);
    QCOMPARE(w->received, command);
    QCOMPARE(w->parts->Lbl1->text(), "REPLY TO " + command + "ABCDE");
    QCOMPARE(w->parts->Coom1->InBufferCount(), 0);
    QCOMPARE(w->parts->Coom1->InputLen(), 20);
}

void tst_Exchange::replyInPieces_showsOnceTheTwentiethArrives()
{
    w->onCommand = [this](const QByteArray &) {
        w->device.write("0123456");
        QTimer::singleShot(20, this, [this] { w->device.write("789012345"); });
        QTimer::singleShot(40, this, [this] { w->device.write("6789"); });
    };
    QElapsedTimer elapsed;
    elapsed.start();
    w->press(1);
    QCOMPARE(w->parts->Lbl1->text(), "01234567890123456789");
    QCOMPARE(m_ticksFired, 0);
    QVERIFY(elapsed.elapsed() < 900); // no tick was needed to see it
}

void tst_Exchange::longReply_showsTheFirstTwentyAndDiscardsTheRest()
{
    w->answerEachCommandWith("first twenty charact"
                             "ers, and fifteen");
    w->press(1);
    QCOMPARE(w->parts->Lbl1->text(), "first twenty charact");
    QTest::qWait(20);
    QCOMPARE(w->parts->Coom1->InBufferCount(), 0);

    // The discarded tail does not leak into the next reply.
    w->answerEachCommandWith("the next reply, 20ch");
    w->press(2);
    QCOMPARE(w->parts->Lbl1->text(), "the next reply, 20ch");
}

void tst_Exchange::shortReply_isDiscardedAtTheFourthTick()
{
    w->parts->Lbl1->setText("earlier reply");
    w->answerEachCommandWith("nineteen characters");
    int ticksWhenThePressEnded = -1;
    Script script;
    for (int i = 0; i < 5; ++i)
        script.add([this] {
            fireTick(*w->parts);
            ++m_ticksFired;
        });
    script.add([&] {}); // let the fifth tick settle
    script.start();
    w->press(1);
    ticksWhenThePressEnded = m_ticksFired;

    QCOMPARE(ticksWhenThePressEnded, 4);
    QCOMPARE(w->parts->Lbl1->text(), "earlier reply");
    QCOMPARE(w->parts->Coom1->InBufferCount(), 0);

    // The 19 are gone: the next reply shows alone.
    w->answerEachCommandWith("a complete reply 20c");
    w->press(3);
    QCOMPARE(w->parts->Lbl1->text(), "a complete reply 20c");
}

void tst_Exchange::charactersFromBefore_countForTheNextWait()
{
    w->device.write("sent before the ask.");
    QTRY_COMPARE(w->parts->Coom1->InBufferCount(), 20);
    w->answerEachCommandWith("the answer, too late");
    QElapsedTimer elapsed;
    elapsed.start();
    w->press(2);
    QCOMPARE(w->parts->Lbl1->text(), "sent before the ask.");
    QVERIFY(elapsed.elapsed() < 900);
    QTest::qWait(20);
}

void tst_Exchange::reply_isShownUnchanged_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("carriage return and line feed") << QByteArray("line one\r\nline two!!");
    QTest::newRow("markup") << QByteArray("<b>hola</b><i>x</i> ");
    QTest::newRow("an image tag") << QByteArray("<img src=x>&amp;    ");
    QTest::newRow("control characters and NUL") << QByteArray("\x00\x01\x1b[2J\x07\tend\x7f\x80\xff"
                                                              "abcdefg",
                                                              20);
}

void tst_Exchange::reply_isShownUnchanged()
{
    QFETCH(QByteArray, reply);
    QCOMPARE(reply.size(), 20);
    w->answerEachCommandWith(reply);
    w->press(4);
    QCOMPARE(w->parts->Lbl1->text(), QString::fromLatin1(reply));
    QCOMPARE(w->parts->Lbl1->textFormat(), Qt::PlainText);
}

void tst_Exchange::pressDuringAWait_nestsAndRestartsTheTickCount()
{
    QStringList events;
    auto tick = [&] {
        fireTick(*w->parts);
        events << QStringLiteral("tick at depth %1").arg(w->pressDepth);
    };
    w->onCommand = [&](const QByteArray &command) { events << "device got " + command; };

    Script script;
    script.add(tick);
    script.add(tick);
    script.add(tick);
    script.add([&] {
        events << "second press";
        w->press(2);
        events << "second press ended";
    });
    script.add(tick); // inside the second wait: had the count not restarted, it would end here
    script.add(tick);
    script.add(tick);
    script.add([&] { w->device.write("answer to the second"); });
    script.add([] {});
    script.add(tick); // the first wait goes on with the count the second left, and ends here
    script.add([] {});
    script.start();
    w->press(1);
    events << "first press ended";

    const QStringList expected = {"device got cmd01 ",  "tick at depth 1", "tick at depth 1",
                                  "tick at depth 1",    "second press",    "device got cmd02 ",
                                  "tick at depth 2",    "tick at depth 2", "tick at depth 2",
                                  "second press ended", "tick at depth 1", "first press ended"};
    QCOMPARE(events, expected);
    QCOMPARE(w->parts->Lbl1->text(), "answer to the second");

    // The buttons work as before.
    w->answerEachCommandWith("after the nesting 20");
    w->press(3);
    QCOMPARE(w->parts->Lbl1->text(), "after the nesting 20");
}

void tst_Exchange::closedPort_pressSendsAndShowsNothing()
{
    w->parts->Lbl1->setText("kept");
    w->parts->Coom1->setPortOpen(false);
    QTRY_VERIFY(!w->device.isHeldOpen());
    QElapsedTimer elapsed;
    elapsed.start();
    w->press(1);
    QVERIFY(elapsed.elapsed() < 500); // no wait follows a failed write
    QTest::qWait(20);
    QCOMPARE(w->received, QByteArray());
    QCOMPARE(w->parts->Lbl1->text(), "kept");
}

void tst_Exchange::unansweredWait_endsWithinFourSecondsWithoutSpinning()
{
    w->parts->Timer1->start(Telvaronix::TickIntervalMs); // the real clock, this once
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer elapsed;
    elapsed.start();
    w->press(1);
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(elapsed.elapsed() > 3000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    // A polling loop that spins would use the whole wait.
    QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
    QCOMPARE(w->received, "cmd01 ");
}

void tst_Exchange::closingTheWindow_endsRunningWaitsAtOnce()
{
    Script script;
    script.add([&] { w->press(2); });
    script.add([&] { w->press(3); });
    script.add([&] { w->window->close(); });
    script.start();
    QElapsedTimer elapsed;
    elapsed.start();
    w->press(1);
    QVERIFY(elapsed.elapsed() < 1000);
    QCOMPARE(w->received, "cmd01 cmd02 cmd03 ");
    QCOMPARE(m_ticksFired, 0);
}

QTEST_MAIN(tst_Exchange)
#include "tst_exchange.moc"
