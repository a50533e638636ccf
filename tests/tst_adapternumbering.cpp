// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"
#include "privatedev.h"
#include "pseudoterminal.h"

#include "device_link/adapternumbering.h"
#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        facts.adapters.append(
            {QStringLiteral("/dev/serial/by-id/usb-%1").arg(c), quint64(c.digitValue())});
    return facts;
}

// "port:device" for each number given.
QString listed(const QList<AdapterNumber> &numbers)
{
    QStringList listed;
    for (const AdapterNumber &number : numbers)
        listed.append(QString::number(number.port) + ':' + number.byIdPath.back());
    return listed.join(',');
}
} // namespace

// Which port numbers new serial adapters get.
class tst_AdapterNumbering : public QObject
{
    Q_OBJECT

private slots:
    void newAdapter_getsTheLowestFreeNumber_data();
    void newAdapter_getsTheLowestFreeNumber();
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
    QCOMPARE(listed(numbersForNewAdapters(factsFrom(ports, adapters))), given);
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
    QCOMPARE(listed(numberNewAdapters(8, readFacts)), "2:7");
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
    QCOMPARE(facts.adapters.size(), 1);
    QCOMPARE(facts.adapters.first().byIdPath, terminal.adapterPath());
    QFile::remove("/dev/serial/by-id/usb-Telvaronix_Null");
}

QTEST_MAIN(tst_AdapterNumbering)
#include "tst_adapternumbering.moc"
