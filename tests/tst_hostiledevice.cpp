// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "cputime.h"
#include "windowfixture.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace DeviceLink;

namespace {
const QByteArray Reply = "A PROPER REPLY (20c)";
} // namespace

// A device that misbehaves must never crash or stall the program: afterwards a command still
// gets its reply shown.
class tst_HostileDevice : public WindowFixture
{
    Q_OBJECT

private slots:
    void init();

    void flood_duringAWait();
    void flood_whileNoWaitRuns();
    void everyByteValue_isShownAsItsCharacter();
    void bytesWhileTheWarningIsOpen_countForTheNextWait();
    void secondWindowOnTheSamePort_warnsAndTheFirstKeepsWorking();
    void fiftyNestedPresses_allEndAndTheButtonsStillWork();

private:
    // Presses until the proper reply shows; true if it did within a few presses (a flood's
    // tail may answer the first of them).
    bool aLaterCommandShowsItsReply();
};

void tst_HostileDevice::init()
{
    WindowFixture::init();
    linkDevice(1);
}

bool tst_HostileDevice::aLaterCommandShowsItsReply()
{
    answerEachCommandWith(Reply);
    for (int attempt = 0; attempt < 3; ++attempt) {
        Script ticks; // a press that sees no reply still ends
        for (int i = 0; i < 5; ++i)
            ticks.add([this] { fireTick(*m_parts); });
        ticks.start();
        press(1 + attempt);
        QTest::qWait(20);
        if (m_parts->Lbl1->text() == QString::fromLatin1(Reply))
            return true;
    }
    return false;
}

void tst_HostileDevice::flood_duringAWait()
{
    QVERIFY(showWindowWithPortOpen());
    onCommand = [this](const QByteArray &) { device(1).write(QByteArray(1024 * 1024, 'F')); };
    press(1);
    QCOMPARE(m_parts->Lbl1->text(), QString(20, 'F'));
    QTRY_COMPARE_WITH_TIMEOUT(device(1).pendingWrite(), 0, 20000);
    QVERIFY(cpuSecondsWhileIdleFor(300) < 0.1);
    QVERIFY(aLaterCommandShowsItsReply());
}

void tst_HostileDevice::flood_whileNoWaitRuns()
{
    QVERIFY(showWindowWithPortOpen());
    device(1).write(QByteArray(1024 * 1024, 'F'));
    QTRY_COMPARE_WITH_TIMEOUT(device(1).pendingWrite(), 0, 20000);
    QCOMPARE(m_parts->Coom1->InBufferCount(), SerialPort::InBufferSize);
    QVERIFY(aLaterCommandShowsItsReply());
}

void tst_HostileDevice::everyByteValue_isShownAsItsCharacter()
{
    QVERIFY(showWindowWithPortOpen());
    for (int first = 0; first < 256; first += 20) {
        QByteArray reply;
        for (int i = 0; i < 20; ++i)
            reply.append(char((first + i) % 256));
        answerEachCommandWith(reply);
        press(1);
        QCOMPARE(m_parts->Lbl1->text(), QString::fromLatin1(reply));
    }
}

void tst_HostileDevice::bytesWhileTheWarningIsOpen_countForTheNextWait()
{
    m_config->storePort("40000"); // port 1 opens, and the warning shows all the same
    m_warnings->setWhileOpen([this] {
        device(1).write("SENT DURING WARNING.");
        QTest::qWait(50);
    });
    QVERIFY(showWindowWithPortOpen());
    QCOMPARE(m_warnings->seen().size(), 1);
    QCOMPARE(m_parts->Coom1->InBufferCount(), 20);

    answerEachCommandWith(Reply);
    press(1);
    QCOMPARE(m_parts->Lbl1->text(), "SENT DURING WARNING.");
    QTest::qWait(20);
    QVERIFY(aLaterCommandShowsItsReply());
}

void tst_HostileDevice::secondWindowOnTheSamePort_warnsAndTheFirstKeepsWorking()
{
    QVERIFY(showWindowWithPortOpen());
    {
        Telvaronix second;
        QCOMPARE(m_warnings->seen().size(), 1);
        QVERIFY(!WindowParts(&second).Coom1->PortOpen());
    }
    answerEachCommandWith(Reply);
    press(3);
    QCOMPARE(m_parts->Lbl1->text(), QString::fromLatin1(Reply));
}

void tst_HostileDevice::fiftyNestedPresses_allEndAndTheButtonsStillWork()
{
    QVERIFY(showWindowWithPortOpen());
    int deepest = 0;
    Script script;
    for (int i = 1; i < 50; ++i)
        script.add([this, i, &deepest] {
            deepest = std::max(deepest, m_pressDepth);
            press(1 + i % 4);
        });
    // The innermost wait ends at its fourth tick; each outer one then finds the count past
    // the limit and ends at its next look.
    for (int i = 0; i < 4; ++i)
        script.add([this, &deepest] {
            deepest = std::max(deepest, m_pressDepth);
            fireTick(*m_parts);
        });
    script.start();
    press(1);
    QCOMPARE(deepest, 50);
    QCOMPARE(m_received[1].size(), 50 * 6);
    QVERIFY(aLaterCommandShowsItsReply());
}

QTEST_MAIN(tst_HostileDevice)
#include "tst_hostiledevice.moc"
