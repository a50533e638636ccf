// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "cputime.h"
#include "windowfixture.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

class tst_Exchange : public WindowFixture
{
    Q_OBJECT

private slots:
    void init();

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
    int m_ticksFired = 0;
};

void tst_Exchange::init()
{
    WindowFixture::init();
    linkDevice(1);
    m_ticksFired = 0;
    QVERIFY(showWindowWithPortOpen());
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
    onCommand = [this](const QByteArray &received) {
        device(1).write("REPLY TO " + received + "ABCDE");
    };
    press(button);
    QCOMPARE(m_received[1], command);
    QCOMPARE(m_parts->Lbl1->text(), "REPLY TO " + command + "ABCDE");
    QCOMPARE(m_parts->Coom1->InBufferCount(), 0);
}

void tst_Exchange::replyInPieces_showsOnceTheTwentiethArrives()
{
    onCommand = [this](const QByteArray &) {
        device(1).write("0123456");
        QTimer::singleShot(20, this, [this] { device(1).write("789012345"); });
        QTimer::singleShot(40, this, [this] { device(1).write("6789"); });
    };
    QElapsedTimer elapsed;
    elapsed.start();
    press(1);
    QCOMPARE(m_parts->Lbl1->text(), "01234567890123456789");
    QVERIFY(elapsed.elapsed() < 900); // no tick was needed to see it
}

void tst_Exchange::longReply_showsTheFirstTwentyAndDiscardsTheRest()
{
    answerEachCommandWith("first twenty charact"
                          "ers, and fifteen");
    press(1);
    QCOMPARE(m_parts->Lbl1->text(), "first twenty charact");
    QTest::qWait(20);
    QCOMPARE(m_parts->Coom1->InBufferCount(), 0);

    // The discarded tail does not leak into the next reply.
    answerEachCommandWith("the next reply, 20ch");
    press(2);
    QCOMPARE(m_parts->Lbl1->text(), "the next reply, 20ch");
}

void tst_Exchange::shortReply_isDiscardedAtTheFourthTick()
{
    m_parts->Lbl1->setText("earlier reply");
    answerEachCommandWith("nineteen characters");
    int ticksWhenThePressEnded = -1;
    Script script;
    for (int i = 0; i < 5; ++i)
        script.add([this] {
            fireTick(*m_parts);
            ++m_ticksFired;
        });
    script.add([&] {}); // let the fifth tick settle
    script.start();
    press(1);
    ticksWhenThePressEnded = m_ticksFired;

    QCOMPARE(ticksWhenThePressEnded, 4);
    QCOMPARE(m_parts->Lbl1->text(), "earlier reply");
    QCOMPARE(m_parts->Coom1->InBufferCount(), 0);

    // The 19 are gone: the next reply shows alone.
    answerEachCommandWith("a complete reply 20c");
    press(3);
    QCOMPARE(m_parts->Lbl1->text(), "a complete reply 20c");
}

void tst_Exchange::charactersFromBefore_countForTheNextWait()
{
    device(1).write("sent before the ask.");
    QTRY_COMPARE(m_parts->Coom1->InBufferCount(), 20);
    answerEachCommandWith("the answer, too late");
    QElapsedTimer elapsed;
    elapsed.start();
    press(2);
    QCOMPARE(m_parts->Lbl1->text(), "sent before the ask.");
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
    answerEachCommandWith(reply);
    press(4);
    QCOMPARE(m_parts->Lbl1->text(), QString::fromLatin1(reply));
    QCOMPARE(m_parts->Lbl1->textFormat(), Qt::PlainText);
}

void tst_Exchange::pressDuringAWait_nestsAndRestartsTheTickCount()
{
    QStringList events;
    auto tick = [&] {
        fireTick(*m_parts);
        events << QStringLiteral("tick at depth %1").arg(m_pressDepth);
    };
    onCommand = [&](const QByteArray &command) { events << "device got " + command; };

    Script script;
    // A press's ticks start once its device has the command and its wait has set the input
    // length, which a slow machine may take more than a step to reach.
    auto inTheWaitFor = [&](const QString &command) {
        script.waitUntil([&, command] {
            return events.contains("device got " + command) && m_parts->Coom1->InputLen() > 0;
        });
    };
    inTheWaitFor("cmd01 ");
    script.add(tick);
    script.add(tick);
    script.add(tick);
    script.add([&] {
        events << "second press";
        m_parts->Coom1->setInputLen(0);
        press(2);
        events << "second press ended";
    });
    inTheWaitFor("cmd02 ");
    script.add(tick); // inside the second wait: had the count not restarted, it would end here
    script.add(tick);
    script.add(tick);
    script.add([&] { device(1).write("answer to the second"); });
    script.waitUntil([&] { return events.contains("second press ended"); });
    script.add(tick); // the first wait goes on with the count the second left, and ends here
    script.add([] {});
    m_parts->Coom1->setInputLen(0);
    script.start();
    press(1);
    events << "first press ended";

    const QStringList expected = {"device got cmd01 ",  "tick at depth 1", "tick at depth 1",
                                  "tick at depth 1",    "second press",    "device got cmd02 ",
                                  "tick at depth 2",    "tick at depth 2", "tick at depth 2",
                                  "second press ended", "tick at depth 1", "first press ended"};
    QCOMPARE(events, expected);
    QCOMPARE(m_parts->Lbl1->text(), "answer to the second");

    // The buttons work as before.
    answerEachCommandWith("after the nesting 20");
    press(3);
    QCOMPARE(m_parts->Lbl1->text(), "after the nesting 20");
}

void tst_Exchange::closedPort_pressSendsAndShowsNothing()
{
    m_parts->Lbl1->setText("kept");
    m_parts->Coom1->setPortOpen(false);
    QTRY_VERIFY(!device(1).isHeldOpen());
    QElapsedTimer elapsed;
    elapsed.start();
    press(1);
    QVERIFY(elapsed.elapsed() < 500); // no wait follows a failed write
    QTest::qWait(20);
    QCOMPARE(m_received[1], QByteArray());
    QCOMPARE(m_parts->Lbl1->text(), "kept");
}

void tst_Exchange::unansweredWait_endsWithinFourSecondsWithoutSpinning()
{
    m_parts->Timer1->start(Telvaronix::TickIntervalMs); // the real clock, this once
    QElapsedTimer elapsed;
    elapsed.start();
    const double cpuSeconds = cpuSecondsOf([this] { press(1); });
    QVERIFY2(elapsed.elapsed() > 3000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    // A polling loop that spins would use the whole wait.
    QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
    QCOMPARE(m_received[1], "cmd01 ");
}

void tst_Exchange::closingTheWindow_endsRunningWaitsAtOnce()
{
    Script script;
    script.add([&] { press(2); });
    script.add([&] { press(3); });
    script.add([&] { m_window->close(); });
    script.start();
    QElapsedTimer elapsed;
    elapsed.start();
    press(1);
    QVERIFY(elapsed.elapsed() < 1000);
    QCOMPARE(m_received[1], "cmd01 cmd02 cmd03 ");
    // Released with the window's closing, before the window and the application are gone.
    QVERIFY(!m_parts->Coom1->PortOpen());
}

QTEST_MAIN(tst_Exchange)
#include "tst_exchange.moc"
