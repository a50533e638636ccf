// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "device_link/adapternumbering.h"

#include <QTest>

// Which port numbers new serial adapters get.
class tst_AdapterNumbering : public QObject
{
    Q_OBJECT

private slots:
    void newAdapter_getsTheLowestFreeNumber_data();
    void newAdapter_getsTheLowestFreeNumber();
};

void tst_AdapterNumbering::newAdapter_getsTheLowestFreeNumber_data()
{
    // Ports, one character each from port 1: '-' free, 'U' a UART of the system's own, 'L' a
    // link to nothing (its adapter away), a digit a link to that device. Adapters: their
    // device digits in order. Given: "port:device" for each number given.
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

    QStringList numbers;
    for (const AdapterNumber &number : numbersForNewAdapters(facts))
        numbers.append(QString::number(number.port) + ':' + number.byIdPath.back());
    QCOMPARE(numbers.join(','), given);
}

QTEST_MAIN(tst_AdapterNumbering)
#include "tst_adapternumbering.moc"
