// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "cputime.h"
#include "privatedev.h"
#include "windowfixture.h"

#include "device_link/devicenames.h"
#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"
#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <memory>
#include <unistd.h>

using namespace DeviceLink;

namespace {
const QByteArray Reply = "OK DE NUEVO EN LINEA";
// The port looks for its device twice a second; two seconds cover any phase of that.
constexpr int ComesBackWithinMs = 2000;
const QString AdapterName = QStringLiteral("usb-Telvaronix_A");
} // namespace

// A device unplugged and plugged back (here: the far end of its pseudo-terminal closed, a new
// one given the same adapter's name) is taken up again without the user changing the port.
class tst_Replug : public WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void unpluggedWhileIdle_isReopenedOnceBack_data();
    void unpluggedWhileIdle_isReopenedOnceBack();
    void unpluggedDuringAWait_theWaitShowsAReplyFromTheDeviceBack();
    void lostDevice_isReopenedOnlyWhenItIsTheOneLost_data();
    void lostDevice_isReopenedOnlyWhenItIsTheOneLost();
    void portThatFailedAtStart_staysClosedWhenItsDeviceAppears();
    void portChangedAfterAnUnplug_theOldPortIsNoLongerWatched();

private:
    // A new device linked as port `port` (0: none), answering each command with Reply.
    PseudoTerminal &plugIn(int port);
    // Makes `device` the adapter that udev names AdapterName (taking the name from the one
    // unplugged, as udev does), and port 1's link lead to that name.
    void makePort1TheAdapter(PseudoTerminal &device);
    // The same adapter plugged back in: a new device under its name, answering with Reply.
    const PseudoTerminal &plugBackIn();

    std::unique_ptr<PseudoTerminal> m_replugged;
};

void tst_Replug::init()
{
    WindowFixture::init();
    linkDevice(1);
}

void tst_Replug::cleanup()
{
    m_replugged.reset();
    WindowFixture::cleanup();
}

PseudoTerminal &tst_Replug::plugIn(int port)
{
    m_replugged = std::make_unique<PseudoTerminal>();
    connect(m_replugged.get(), &PseudoTerminal::received, this,
            [this](const QByteArray &) { m_replugged->write(Reply); });
    if (port != 0)
        m_replugged->linkAsPort(m_config->path(), port);
    return *m_replugged;
}

void tst_Replug::makePort1TheAdapter(PseudoTerminal &device)
{
    QFile::remove(SerialByIdFolder + u'/' + AdapterName);
    device.nameAsAdapter(AdapterName);
    QFile::remove(portLinkPath(1));
    QVERIFY(QFile::link(device.adapterPath(), portLinkPath(1)));
}

const PseudoTerminal &tst_Replug::plugBackIn()
{
    PseudoTerminal &back = plugIn(0);
    makePort1TheAdapter(back);
    return back;
}

void tst_Replug::unpluggedWhileIdle_isReopenedOnceBack_data()
{
    QTest::addColumn<bool>("linkGoneForAWhile");
    QTest::newRow("the same adapter back") << false;
    QTest::newRow("the port's link removed meanwhile, then made again") << true;
}

void tst_Replug::unpluggedWhileIdle_isReopenedOnceBack()
{
    QFETCH(bool, linkGoneForAWhile);
    SKIP_WITHOUT_PRIVATE_DEV();
    makePort1TheAdapter(device(1));
    QVERIFY(showWindowWithPortOpen());
    device(1).hangUp();
    QTRY_VERIFY(!m_parts->Coom1->PortOpen());
    if (linkGoneForAWhile) {
        QVERIFY(QFile::remove(device(1).linkPath()));
        // Looking for the device while it is away costs next to nothing: a loop that spins
        // would take nearly all of the time, and an emulated build takes more than a tenth.
        const double cpuSeconds = cpuSecondsWhileIdleFor(1500);
        QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
        QVERIFY(!m_parts->Coom1->PortOpen());
    }

    const PseudoTerminal &back = plugBackIn();
    QTRY_VERIFY_WITH_TIMEOUT(back.isHeldOpen(), ComesBackWithinMs);
    // Back, the watch ends rather than try the open port every second.
    for (const QTimer *timer : m_parts->Coom1->findChildren<QTimer *>())
        QVERIFY(!timer->isActive());
    press(2);
    QCOMPARE(m_parts->Lbl1->text(), QString::fromLatin1(Reply));
    QCOMPARE(m_parts->ComboCom->currentText(), "C1");
}

void tst_Replug::unpluggedDuringAWait_theWaitShowsAReplyFromTheDeviceBack()
{
    SKIP_WITHOUT_PRIVATE_DEV();
    makePort1TheAdapter(device(1));
    QVERIFY(showWindowWithPortOpen());
    // The device drops the line on the command, and comes back answering as soon as the
    // program holds it again; the wait, still running, shows that answer.
    QTimer greetWhenHeld;
    onCommand = [&](const QByteArray &) {
        device(1).hangUp();
        plugBackIn();
        connect(&greetWhenHeld, &QTimer::timeout, this, [this, &greetWhenHeld] {
            if (m_replugged->isHeldOpen()) {
                greetWhenHeld.stop();
                m_replugged->write(Reply);
            }
        });
        greetWhenHeld.start(10);
    };
    // Should the device never be reopened, the wait still ends.
    QTimer::singleShot(ComesBackWithinMs + 1000, this, [this] {
        for (int i = 0; i < 5; ++i)
            fireTick(*m_parts);
    });
    QElapsedTimer pressing;
    pressing.start();
    press(1);
    QCOMPARE(m_parts->Lbl1->text(), QString::fromLatin1(Reply));
    QVERIFY(pressing.elapsed() < ComesBackWithinMs);
}

void tst_Replug::lostDevice_isReopenedOnlyWhenItIsTheOneLost_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("back");
    QTest::addColumn<bool>("reopened");
    QTest::newRow("the port closed on purpose") << "close"
                                                << "same adapter" << false;
    QTest::newRow("the port renumbered") << "renumber"
                                         << "same adapter" << false;
    QTest::newRow("the same adapter back at another node") << ""
                                                           << "same adapter" << true;
    QTest::newRow("another adapter given the lost one's node") << ""
                                                               << "other adapter" << false;
    // Such as a terminal window's pseudo-terminal given the number of the one lost.
    QTest::newRow("a device without a name, another at its node") << ""
                                                                  << "nameless" << false;
}

void tst_Replug::lostDevice_isReopenedOnlyWhenItIsTheOneLost()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, back);
    QFETCH(bool, reopened);
    const bool named = back != "nameless";
    if (named)
        SKIP_WITHOUT_PRIVATE_DEV();
    // The port's link leads through a name that stands for the kernel's node (/dev/ttyUSB0),
    // which the system gives whichever device comes next.
    const QString node = m_config->path() + "/ttyUSB0";
    const auto pointNodeAt = [&](const PseudoTerminal &device) {
        QFile::remove(node);
        QVERIFY(QFile::link(device.devicePath(), node));
    };
    pointNodeAt(device(1));
    QFile::remove(device(1).linkPath());
    QVERIFY(QFile::link(node, device(1).linkPath()));
    if (named)
        device(1).nameAsAdapter(AdapterName);
    QVERIFY(showWindowWithPortOpen());
    device(1).hangUp();
    QTRY_VERIFY(!m_parts->Coom1->PortOpen());
    if (meanwhile == "close")
        m_parts->Coom1->setPortOpen(false);
    if (meanwhile == "renumber") {
        // Port 2 leads to the same adapter: only the watch's end keeps it closed.
        m_parts->Coom1->setCommPort(2);
        QVERIFY(QFile::link(node, portLinkPath(2)));
    }

    // A pseudo-terminal's node reuses its number's inode, and the kernel stamps its change
    // time to the clock tick (up to 10 ms): one made within the lost one's tick could not be
    // told from it. A terminal a person opens comes later.
    QThread::msleep(20);
    m_replugged = std::make_unique<PseudoTerminal>();
    if (named) {
        QFile::remove(device(1).adapterPath()); // as udev does on unplugging
        m_replugged->nameAsAdapter(back == "same adapter" ? AdapterName : "usb-Telvaronix_B");
    }
    pointNodeAt(*m_replugged);
    if (reopened) {
        QTRY_VERIFY_WITH_TIMEOUT(m_replugged->isHeldOpen(), ComesBackWithinMs);
    } else {
        QTest::qWait(ComesBackWithinMs + 500);
        QVERIFY(!m_replugged->isHeldOpen());
    }
}

void tst_Replug::portThatFailedAtStart_staysClosedWhenItsDeviceAppears()
{
    m_config->storePort("2");
    QVERIFY(!showWindowWithPortOpen());
    QCOMPARE(m_warnings->seen().size(), 1);
    const PseudoTerminal &late = plugIn(2);
    QTest::qWait(ComesBackWithinMs + 500);
    QVERIFY(!late.isHeldOpen());
    QVERIFY(!m_parts->Coom1->PortOpen());
}

void tst_Replug::portChangedAfterAnUnplug_theOldPortIsNoLongerWatched()
{
    SKIP_WITHOUT_PRIVATE_DEV();
    makePort1TheAdapter(device(1));
    QVERIFY(showWindowWithPortOpen());
    device(1).hangUp();
    QTRY_VERIFY(!m_parts->Coom1->PortOpen());

    chooseInList(3); // where there is no device
    // The device comes back just as the focus leaves the list, with the watch's next look due
    // while the port change runs.
    const PseudoTerminal &back = plugBackIn();
    QThread::msleep(1100);
    QTest::keyClick(m_parts->ComboCom, Qt::Key_Tab);
    QCOMPARE(m_warnings->seen().size(), 1);

    QTest::qWait(ComesBackWithinMs + 500);
    QVERIFY(!back.isHeldOpen());
}

QTEST_MAIN(tst_Replug)
#include "tst_replug.moc"
