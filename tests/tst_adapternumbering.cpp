// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"
#include "privatedev.h"
#include "pseudoterminal.h"

#include "device_link/adapternumbering.h"
#include "device_link/devicelocks.h"
#include "device_link/devicenames.h"
#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace DeviceLink;

namespace {
// Ports, one character each from port 1: '-' free, 'U' a UART of the system's own, 'L' a link
// to nothing (its adapter away), a digit a link to that device. Adapters: their device digits
// in order, named /dev/serial/by-id/usb-<digit>.
NumberingFacts factsFrom(const QString &ports, const QString &adapters)
{
    NumberingFacts facts;
    for (QChar c : ports) {
        NumberingFacts::Port port;
        port.linked = c == 'L' || c.isDigit();
        port.systemPortExists = c == 'U';
        if (c.isDigit())
            port.leadsTo = c.digitValue();
        facts.ports.append(port);
    }
    for (QChar c : adapters)
        facts.devices.append(
            {QStringLiteral("/dev/serial/by-id/usb-%1").arg(c), quint64(c.digitValue())});
    return facts;
}

// "port:device" for each number given.
QString listed(const QList<DeviceNumber> &numbers, bool wholePaths = false)
{
    QStringList listed;
    for (const DeviceNumber &number : numbers)
        listed.append(QString::number(number.port) + ':' +
                      (wholePaths ? number.path : number.path.back()));
    return listed.join(',');
}

// A terminal as sysfs shows it below `root`, from "name driver major:minor type" (no type: 0, a
// placeholder), or "name usb driver major:minor" for one on USB, which has no type: its class entry
// leads to its place among the devices, a UART's below the serial core's port device (as from
// Linux 6.5 on) below its hardware.
void fakeTerminal(const QString &root, const QString &description)
{
    const QStringList fields = description.split(' ');
    const bool usb = fields.at(1) == "usb";
    const QString name = fields.first();
    const QString hardware =
        root + "/sys/devices/" + (usb ? "pci0/usb1/1-1/1-1:1.0" : "platform/") + name;
    const QString port = usb ? hardware : hardware + '/' + name + ":0/" + name + ":0.0";
    const QString terminal = port + "/tty/" + name;
    const auto link = [&root](const QString &device, const QString &driver) {
        QDir().mkpath(root + "/sys/bus/" + driver);
        QFile::link(root + "/sys/bus/" + driver, device + "/driver");
    };
    QDir().mkpath(terminal);
    QDir().mkpath(root + "/sys/class/tty");
    link(hardware, "drivers/" + fields.at(usb ? 2 : 1));
    if (!usb)
        link(port, "serial-base/drivers/port");
    QFile::link(port, terminal + "/device");
    QFile::link(terminal, root + "/sys/class/tty/" + name);
    for (const auto &[attribute, value] :
         {std::pair {"dev", fields.at(usb ? 3 : 2)},
          std::pair {"type", fields.value(usb ? 4 : 3, usb ? "" : "0")}}) {
        QFile file(terminal + '/' + attribute);
        if (!value.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write(value.toLatin1() + '\n');
    }
}
} // namespace

// Which port numbers new serial adapters get.
class tst_AdapterNumbering : public QObject
{
    Q_OBJECT

private slots:
    void newAdapter_getsTheLowestFreeNumber_data();
    void newAdapter_getsTheLowestFreeNumber();
    void boardUart_getsANumberLikeAnAdapter_data();
    void boardUart_getsANumberLikeAnAdapter();
    void anotherInstanceNumberingMeanwhile_leavesOneNumberPerAdapter();
    void onlyTerminals_areTakenForAdapters();
};

void tst_AdapterNumbering::newAdapter_getsTheLowestFreeNumber_data()
{
    // As factsFrom() reads them. Given: "port:device" for each number given.
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("adapters");
    QTest::addColumn<QString>("given");
    QTest::newRow("nothing there: port 1") << "--------"
                                           << "7"
                                           << "1:7";
    QTest::newRow("UARTs at ttyS0 and ttyS1") << "UU------"
                                              << "7"
                                              << "3:7";
    QTest::newRow("already linked, by any name") << "-7------"
                                                 << "7"
                                                 << "";
    QTest::newRow("an away adapter keeps its number") << "L-------"
                                                      << "7"
                                                      << "2:7";
    QTest::newRow("several, in order") << "U5-L----"
                                       << "567"
                                       << "3:6,5:7";
    QTest::newRow("one device under two names") << "--------"
                                                << "77"
                                                << "1:7";
    QTest::newRow("eight taken") << "LLLLUUUU"
                                 << "78"
                                 << "";
    QTest::newRow("seven taken, two new") << "-LLLUUUU"
                                          << "78"
                                          << "1:7";
}

void tst_AdapterNumbering::newAdapter_getsTheLowestFreeNumber()
{
    QFETCH(QString, ports);
    QFETCH(QString, adapters);
    QFETCH(QString, given);
    QCOMPARE(listed(numbersForNewDevices(factsFrom(ports, adapters))), given);
}

void tst_AdapterNumbering::boardUart_getsANumberLikeAnAdapter_data()
{
    // What the system shows, one thing after another: terminals as fakeTerminal() makes them,
    // "console <terminal>" for the console's, "com1 <path>" for port 1's link. Given: "port:node"
    // for each number given.
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("given");
    const QString pl011 = "ttyAMA0 uart-pl011 204:64 32";
    QTest::newRow("a PL011 beside ttyS0 and 1 with no UART")
        << pl011 + ", ttyS0 serial8250 4:64, ttyS1 serial8250 4:65"
        << "1:/dev/ttyAMA0";
    QTest::newRow("an 8250 placeholder past ttyS7") << "ttyS8 serial8250 4:72"
                                                    << "";
    QTest::newRow("a USB adapter, numbered by its by-id name") << "ttyUSB0 usb ftdi_sio 188:0"
                                                               << "";
    QTest::newRow("the console's UART") << pl011 + ", console ttyAMA0"
                                        << "1:/dev/ttyAMA0";
    QTest::newRow("the same UART at the next boot") << pl011 + ", com1 /dev/ttyAMA0"
                                                    << "";
    QTest::newRow("a PC's real ttyS0 keeps port 1")
        << "ttyS0 serial8250 4:64 4, ttyS4 serial8250 4:68 4, " + pl011 << "2:/dev/ttyAMA0";
    QTest::newRow("by driver, then by number")
        << "ttymxc3 imx-uart 207:19 1, ttyAMA10 uart-pl011 204:74 32, ttyAMA2 uart-pl011 204:66 32"
        << "1:/dev/ttymxc3,2:/dev/ttyAMA2,3:/dev/ttyAMA10";
}

void tst_AdapterNumbering::boardUart_getsANumberLikeAnAdapter()
{
    QFETCH(QString, system);
    QFETCH(QString, given);
    const IsolatedConfig config;
    const QTemporaryDir sysfs;
    QDir().mkpath(sysfs.path() + "/sys/class/tty/console");
    for (const QString &thing : system.split(", ")) {
        if (QFile active(sysfs.path() + "/sys/class/tty/console/active");
            thing.startsWith("console ") && active.open(QIODevice::WriteOnly))
            active.write(thing.mid(8).toLatin1() + '\n');
        else if (thing.startsWith("com1 "))
            QVERIFY(QDir().mkpath(portLinkFolder()) && QFile::link(thing.mid(5), portLinkPath(1)));
        else
            fakeTerminal(sysfs.path(), thing);
    }
    readSysfsBelow(sysfs.path());
    const auto readFacts = [](int ports) { return readNumberingFacts(ports); };
    QCOMPARE(listed(numberNewDevices(8, readFacts), true), given);
    // A console there keeps other programs off the device; numbering it is no such thing.
    QCOMPARE(holderByConsole("/dev/ttyAMA0").has_value(), system.contains("console ttyAMA0"));
    readSysfsBelow({});
}

void tst_AdapterNumbering::anotherInstanceNumberingMeanwhile_leavesOneNumberPerAdapter()
{
    // Since the facts were first read, another instance has given adapter 8 port 1: the plan
    // from those facts (7 at 1, 8 at 2) would give 8 a second number and 7 none.
    const IsolatedConfig config;
    QVERIFY(QDir().mkpath(portLinkFolder()));
    QVERIFY(QFile::link("/dev/serial/by-id/usb-8", portLinkPath(1)));
    int reads = 0;
    const auto readFacts = [&reads](int) {
        return factsFrom(reads++ == 0 ? "--------" : "8-------", "78");
    };
    QCOMPARE(listed(numberNewDevices(8, readFacts)), "2:7");
    QCOMPARE(QFileInfo(portLinkPath(2)).symLinkTarget(), "/dev/serial/by-id/usb-7");
}

void tst_AdapterNumbering::onlyTerminals_areTakenForAdapters()
{
    SKIP_WITHOUT_PRIVATE_DEV();
    const IsolatedConfig config;
    PseudoTerminal terminal;
    terminal.nameAsAdapter("usb-Telvaronix_T");
    QVERIFY(QFile::link("/dev/null", "/dev/serial/by-id/usb-Telvaronix_Null"));
    const NumberingFacts facts = readNumberingFacts(8);
    QCOMPARE(facts.devices.size(), 1);
    QCOMPARE(facts.devices.first().path, terminal.adapterPath());
    QFile::remove("/dev/serial/by-id/usb-Telvaronix_Null");
}

QTEST_MAIN(tst_AdapterNumbering)
#include "tst_adapternumbering.moc"
