// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "privatedev.h"
#include "windowondevice.h"

#include "device_link/devicenames.h"
#include "device_link/portdevice.h"
#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <memory>
#include <unistd.h>

namespace {
const QByteArray Reply = "OK DE NUEVO EN LINEA";
// The port looks for its device twice a second; two seconds cover any phase of that.
constexpr int ComesBackWithinMs = 2000;
const QString AdapterName = QStringLiteral("usb-Telvaronix_A");
} // namespace

// A device unplugged and plugged back (here: the far end of its pseudo-terminal closed, a new
// one given the same adapter's name) is taken up again without the user changing the port.
class tst_Replug : public QObject
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

    std::unique_ptr<WindowOnDevice> w;
    std::unique_ptr<PseudoTerminal> m_replugged;
};

void tst_Replug::init()
{
    w = std::make_unique<WindowOnDevice>();
}

void tst_Replug::cleanup()
{
    m_replugged.reset();
    w.reset();
}

PseudoTerminal &tst_Replug::plugIn(int port)
{
    m_replugged = std::make_unique<PseudoTerminal>();
    connect(m_replugged.get(), &PseudoTerminal::received, this,
            [this](const QByteArray &) { m_replugged->write(Reply); });
    if (port != 0)
        m_replugged->linkAsPort(w->config.path(), port);
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
    makePort1TheAdapter(w->device);
    QVERIFY(w->start());
    w->device.hangUp();
    QTRY_VERIFY(!w->parts->Coom1->PortOpen());
    if (linkGoneForAWhile) {
        QVERIFY(QFile::remove(w->device.linkPath()));
        // Looking for the device while it is away costs next to nothing.
        const std::clock_t before = std::clock();
        QTest::qWait(1500);
        QVERIFY(double(std::clock() - before) / CLOCKS_PER_SEC < 0.1);
        QVERIFY(!w->parts->Coom1->PortOpen());
    }

    const PseudoTerminal &back = plugBackIn();
    QTRY_VERIFY_WITH_TIMEOUT(back.isHeldOpen(), ComesBackWithinMs);
    // Back, the watch ends rather than try the open port every second.
    for (const QTimer *timer : w->parts->Coom1->findChildren<QTimer *>())
        QVERIFY(!timer->isActive());
    w->press(2);
    QCOMPARE(w->parts->Lbl1->text(), QString::fromLatin1(Reply));
    QCOMPARE(w->parts->ComboCom->currentText(), "C1");
}

void tst_Replug::unpluggedDuringAWait_theWaitShowsAReplyFromTheDeviceBack()
{
    SKIP_WITHOUT_PRIVATE_DEV();
    makePort1TheAdapter(w->device);
    QVERIFY(w->start());
    // The device drops the line on the command, and comes back answering as soon as the
    // program holds it again; the wait, still running, shows that answer.
    QTimer greetWhenHeld;
    w->onCommand = [&](const QByteArray &) {
        w->device.hangUp();
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
            fireTick(*w->parts);
    });
    QElapsedTimer pressing;
    pressing.start();
    w->press(1);
    QCOMPARE(w->parts->Lbl1->text(), QString::fromLatin1(Reply));
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
    const QString node = w->config.path() + "/ttyUSB0";
    const auto pointNodeAt = [&](const PseudoTerminal &device) {
        QFile::remove(node);
        QVERIFY(QFile::link(device.devicePath(), node));
    };
    pointNodeAt(w->device);
    QFile::remove(w->device.linkPath());
    QVERIFY(QFile::link(node, w->device.linkPath()));
    if (named)
        w->device.nameAsAdapter(AdapterName);
    QVERIFY(w->start());
    w->device.hangUp();
    QTRY_VERIFY(!w->parts->Coom1->PortOpen());
    if (meanwhile == "close")
        w->parts->Coom1->setPortOpen(false);
    if (meanwhile == "renumber")
        w->parts->Coom1->setCommPort(2);

    m_replugged = std::make_unique<PseudoTerminal>();
    if (named) {
        QFile::remove(w->device.adapterPath()); // as udev does on unplugging
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
    w->config.storePort("2");
    WarningAnswerer warnings;
    QVERIFY(!w->start());
    QCOMPARE(warnings.seen().size(), 1);
    const PseudoTerminal &late = plugIn(2);
    QTest::qWait(ComesBackWithinMs + 500);
    QVERIFY(!late.isHeldOpen());
    QVERIFY(!w->parts->Coom1->PortOpen());
}

void tst_Replug::portChangedAfterAnUnplug_theOldPortIsNoLongerWatched()
{
    SKIP_WITHOUT_PRIVATE_DEV();
    makePort1TheAdapter(w->device);
    QVERIFY(w->start());
    w->device.hangUp();
    QTRY_VERIFY(!w->parts->Coom1->PortOpen());

    WarningAnswerer warnings;
    w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w->window.get()));
    w->parts->ComboCom->setFocus(Qt::MouseFocusReason);
    w->parts->ComboCom->setCurrentIndex(2); // C3, where there is no device
    // The device comes back just as the focus leaves the list, with the watch's next look due
    // while the port change runs.
    const PseudoTerminal &back = plugBackIn();
    QThread::msleep(1100);
    QTest::keyClick(w->parts->ComboCom, Qt::Key_Tab);
    QCOMPARE(warnings.seen().size(), 1);

    QTest::qWait(ComesBackWithinMs + 500);
    QVERIFY(!back.isHeldOpen());
}

QTEST_MAIN(tst_Replug)
#include "tst_replug.moc"
