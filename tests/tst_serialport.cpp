// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "cputime.h"
#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"
#include "device_link/serialport.h"
#include "isolatedconfig.h"
#include "pseudoterminal.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

using namespace DeviceLink;

class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening_usesTheLinkAndTheFixedLineSettings();
    void portNumber_acceptsOnlyValidNumbersWhileClosed();
    void opening_failsForMissingDevicesAndStaysClosed_data();
    void opening_failsForMissingDevicesAndStaysClosed();
    void opening_failsWhileAnotherHoldsThePort_data();
    void opening_failsWhileAnotherHoldsThePort();
    void output_queuesExactlyTheTextsBytes();
    void closedPort_refusesOutputAndHoldsNothing();
    void input_takesTheOldestCharactersUpToInputLen();
    void bytes_mapToLatin1CharactersBothWays();
    void emptyingTheBuffer_discardsSystemBufferedBytesToo();
    void flood_keepsTheOldestCharactersAndDropsTheOverflow();
    void bytesFromBeforeAClose_doNotReappearAfterReopening();
    void hangUp_closesThePortWithoutSpinning();

private:
    // Opens `port` linked as port 1 and waits until the device side sees it held.
    void openOnLink(SerialPort &port);
    QByteArray receivedByDevice(int count);

    std::unique_ptr<IsolatedConfig> m_config;
    std::unique_ptr<PseudoTerminal> m_device;
    QByteArray m_received;
};

void tst_SerialPort::init()
{
    m_config = std::make_unique<IsolatedConfig>();
    m_device = std::make_unique<PseudoTerminal>();
    m_device->linkAsPort(m_config->path(), 1);
    m_received.clear();
    connect(m_device.get(), &PseudoTerminal::received, this,
            [this](const QByteArray &bytes) { m_received += bytes; });
}

void tst_SerialPort::cleanup()
{
    m_device.reset();
    m_config.reset();
}

void tst_SerialPort::openOnLink(SerialPort &port)
{
    port.setCommPort(1);
    port.setPortOpen(true);
    QVERIFY(port.PortOpen());
    QTRY_VERIFY(m_device->isHeldOpen());
}

QByteArray tst_SerialPort::receivedByDevice(int count)
{
    [[maybe_unused]] const bool arrived =
        QTest::qWaitFor([&] { return m_received.size() >= count; }, 2000);
    return m_received;
}

void tst_SerialPort::opening_usesTheLinkAndTheFixedLineSettings()
{
    QCOMPARE(devicePathForPort(1), m_device->devicePath());
    QCOMPARE(devicePathForPort(2), "/dev/ttyS1");

    SerialPort port;
    QCOMPARE(port.CommPort(), 1);
    QVERIFY(!port.PortOpen());
    openOnLink(port);

    const termios line = m_device->lineSettings();
    QCOMPARE(cfgetispeed(&line), speed_t(B19200));
    QCOMPARE(cfgetospeed(&line), speed_t(B19200));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(line.c_iflag & (IXON | IXOFF | ICRNL | INLCR), tcflag_t(0));
    QCOMPARE(line.c_lflag & (ICANON | ECHO), tcflag_t(0));
    QCOMPARE(line.c_oflag & OPOST, tcflag_t(0));

    port.setPortOpen(false);
    QVERIFY(!port.PortOpen());
    QTRY_VERIFY(!m_device->isHeldOpen());
    port.setPortOpen(false); // closing a closed port does nothing
}

void tst_SerialPort::portNumber_acceptsOnlyValidNumbersWhileClosed()
{
    SerialPort port;
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setCommPort(0));
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setCommPort(-1));
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setCommPort(SerialPort::HighestPort + 1));
    QCOMPARE(port.CommPort(), 1);
    port.setCommPort(8);
    QCOMPARE(port.CommPort(), 8);

    openOnLink(port);
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setCommPort(2));
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setPortOpen(true));
    QCOMPARE(port.CommPort(), 1);
    QVERIFY(port.PortOpen());
}

void tst_SerialPort::opening_failsForMissingDevicesAndStaysClosed_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("linkTarget");
    QTest::newRow("a link to nothing") << 3 << "/nonexistent/tty";
    QTest::newRow("a link to a plain file") << 4 << "plainfile";
    QTest::newRow("no link and no such system port") << 200 << "";
}

void tst_SerialPort::opening_failsForMissingDevicesAndStaysClosed()
{
    QFETCH(int, portNumber);
    QFETCH(QString, linkTarget);
    if (!linkTarget.isEmpty()) {
        QString target = linkTarget;
        if (!target.startsWith('/')) {
            target = m_config->path() + '/' + linkTarget;
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(target, portLinkFolder() + "/com" + QString::number(portNumber)));
    }
    SerialPort port;
    port.setCommPort(portNumber);
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setPortOpen(true));
    QVERIFY(!port.PortOpen());
}

void tst_SerialPort::opening_failsWhileAnotherHoldsThePort_data()
{
    QTest::addColumn<QString>("holder");
    QTest::newRow("another serial port component") << "component";
    QTest::newRow("an exclusive flock in this process") << "flock here";
    QTest::newRow("another program's flock, as picocom takes") << "flock";
    QTest::newRow("another program's lockf") << "lockf";
    QTest::newRow("another program's open file description lock") << "ofd";
    // Any user can make /proc/locks long: the device's lock is found however far down.
    QTest::newRow("another program's flock among 25,000 other locks") << "flock among many";
}

void tst_SerialPort::opening_failsWhileAnotherHoldsThePort()
{
    QFETCH(QString, holder);
    SerialPort first;
    int lockedFd = -1;
    // Another program that opens the device and locks it, and says so once it has.
    QProcess locker;
    if (holder == "component") {
        openOnLink(first);
    } else if (holder == "flock here") {
        lockedFd = ::open(qPrintable(m_device->devicePath()), O_RDWR | O_NOCTTY);
        QVERIFY(lockedFd >= 0);
        QCOMPARE(::flock(lockedFd, LOCK_EX | LOCK_NB), 0);
    } else {
        locker.start(QStringLiteral("python3"),
                     {"-c", R"(
import fcntl, os, struct, sys, time
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
if sys.argv[2].startswith("flock"): fcntl.flock(fd, fcntl.LOCK_EX)
elif sys.argv[2] == "lockf": fcntl.lockf(fd, fcntl.LOCK_EX)
else: fcntl.fcntl(fd, fcntl.F_OFD_SETLK, struct.pack("hhqqi4x", fcntl.F_WRLCK, 0, 0, 0, 0))
if sys.argv[2] == "flock among many":  # over 1.5 MB of /proc/locks
    others = [open(f"{sys.argv[3]}/other{n}", "wb") for n in range(25)]
    for other in others:
        for byte in range(0, 2000, 2): fcntl.lockf(other, fcntl.LOCK_EX, 1, byte)
print("locked", flush=True)
time.sleep(60)
)",
                      m_device->devicePath(), holder, m_config->path()});
        QVERIFY(locker.waitForReadyRead(5000));
        // The kernel names no owner for an open file description's lock.
        const PortStatus status = portStatus(1);
        QCOMPARE(status.state, PortStatus::State::InUse);
        QCOMPARE(status.holder->pid, holder == "ofd" ? 0 : locker.processId());
    }

    SerialPort second;
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, second.setPortOpen(true));
    QVERIFY(!second.PortOpen());

    if (holder == "component") {
        // The first keeps working.
        first.setOutput("cmd01 ");
        QCOMPARE(receivedByDevice(6), "cmd01 ");
        first.setPortOpen(false);
    } else if (lockedFd >= 0) {
        ::close(lockedFd);
    } else {
        locker.kill();
        locker.waitForFinished();
    }
    second.setPortOpen(true);
    QVERIFY(second.PortOpen());
}

void tst_SerialPort::output_queuesExactlyTheTextsBytes()
{
    SerialPort port;
    openOnLink(port);
    port.setOutput("cmd03 ");
    QCOMPARE(receivedByDevice(6), "cmd03 ");
    QTest::qWait(20);
    QCOMPARE(m_received, "cmd03 "); // nothing more: no line end

    // The transmit buffer holds 512 characters; more at once is refused whole.
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error,
                             port.setOutput(QString(SerialPort::OutBufferSize + 1, 'x')));
}

void tst_SerialPort::closedPort_refusesOutputAndHoldsNothing()
{
    SerialPort port;
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setOutput("cmd01 "));
    // A wait that runs while the port is closed sees an empty buffer and carries on.
    QCOMPARE(port.InBufferCount(), 0);
    port.setInBufferCount(0);
    QCOMPARE(port.Input(), "");
}

void tst_SerialPort::input_takesTheOldestCharactersUpToInputLen()
{
    SerialPort port;
    openOnLink(port);
    m_device->write("abcdefghij0123456789XYZ");
    QTRY_COMPARE(port.InBufferCount(), 23);

    port.setInputLen(20);
    QCOMPARE(port.Input(), "abcdefghij0123456789");
    QCOMPARE(port.InBufferCount(), 3);
    port.setInputLen(0);
    QCOMPARE(port.Input(), "XYZ");
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), "");
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setInputLen(-1));
    QVERIFY_THROWS_EXCEPTION(SerialPort::Error, port.setInBufferCount(5));
}

void tst_SerialPort::bytes_mapToLatin1CharactersBothWays()
{
    SerialPort port;
    openOnLink(port);
    QByteArray everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte.append(char(value));
    m_device->write(everyByte);
    QTRY_COMPARE(port.InBufferCount(), 256);
    port.setInputLen(0);
    const QString text = port.Input();
    QCOMPARE(text.size(), 256);
    for (int value = 0; value < 256; ++value)
        QCOMPARE(text.at(value).unicode(), char16_t(value));

    port.setOutput(QString::fromLatin1("\xf1\x00\xff", 3));
    QCOMPARE(receivedByDevice(3), QByteArray("\xf1\x00\xff", 3));
}

void tst_SerialPort::emptyingTheBuffer_discardsSystemBufferedBytesToo()
{
    SerialPort port;
    openOnLink(port);
    m_device->write("old");
    QTRY_COMPARE(port.InBufferCount(), 3);
    port.setInBufferCount(0);
    QCOMPARE(port.InBufferCount(), 0);
    m_device->write("new");
    QTRY_COMPARE(port.InBufferCount(), 3);
    port.setInputLen(0);
    QCOMPARE(port.Input(), "new");
}

void tst_SerialPort::flood_keepsTheOldestCharactersAndDropsTheOverflow()
{
    SerialPort port;
    openOnLink(port);
    QByteArray flood;
    for (int i = 0; i < 1024 * 1024; ++i)
        flood.append(char('a' + i % 26));
    m_device->write(flood);
    // The line is read to its end, so the device is never held up by a full buffer.
    QTRY_COMPARE_WITH_TIMEOUT(m_device->pendingWrite(), 0, 20000);
    QTest::qWait(50);
    QCOMPARE(port.InBufferCount(), SerialPort::InBufferSize);
    port.setInputLen(0);
    QCOMPARE(port.Input(), QString::fromLatin1(flood.left(SerialPort::InBufferSize)));

    m_device->write("after the flood");
    QTRY_COMPARE(port.InBufferCount(), 15);
    QCOMPARE(port.Input(), "after the flood");
}

void tst_SerialPort::bytesFromBeforeAClose_doNotReappearAfterReopening()
{
    SerialPort port;
    openOnLink(port);
    m_device->write("stale bytes");
    QTRY_COMPARE(port.InBufferCount(), 11);
    port.setPortOpen(false);
    port.setPortOpen(true);
    QTest::qWait(50);
    QCOMPARE(port.InBufferCount(), 0);

    // Bytes still in the system's buffer, never read, when the port closes.
    m_device->write("unread bytes");
    QThread::msleep(50); // no event runs: they stay with the system
    port.setPortOpen(false);
    port.setPortOpen(true);
    QTest::qWait(50);
    QCOMPARE(port.InBufferCount(), 0);
}

void tst_SerialPort::hangUp_closesThePortWithoutSpinning()
{
    // Whatever QSerialPort reports of it (an error over and over, or nothing while its
    // notifier spins), the port closes at once, and neither noticing nor what follows costs
    // more than a sliver of CPU.
    SerialPort port;
    openOnLink(port);
    const double cpuSeconds = cpuSecondsOf([&] {
        m_device->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!port.PortOpen(), 1000);
        QTest::qWait(500);
    });
    QVERIFY2(cpuSeconds < 0.2, "the event loop spins after a hang-up");
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
