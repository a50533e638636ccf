// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "main_window/portnumbertext.h"

#include <QTest>

#include <optional>

using PortNumber = std::optional<qint16>;
Q_DECLARE_METATYPE(PortNumber)

class tst_PortNumberText : public QObject
{
    Q_OBJECT

private slots:
    void readsStoredText_data();
    void readsStoredText();
};

void tst_PortNumberText::readsStoredText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<PortNumber>("expected");
    const PortNumber tooLarge = std::nullopt;

    // What the program itself stores.
    QTest::newRow("a port") << "3" << PortNumber(3);
    QTest::newRow("beyond the list") << "9" << PortNumber(9);
    QTest::newRow("zero") << "0" << PortNumber(0);
    QTest::newRow("negative") << "-2" << PortNumber(-2);

    // Texts that hold no number read as 0.
    QTest::newRow("empty") << "" << PortNumber(0);
    QTest::newRow("letters") << "abc" << PortNumber(0);
    QTest::newRow("lone sign") << "-" << PortNumber(0);
    QTest::newRow("lone plus") << "+" << PortNumber(0);
    QTest::newRow("lone point") << "." << PortNumber(0);
    QTest::newRow("sign and point") << "-.e5" << PortNumber(0);
    QTest::newRow("exponent alone") << "e5" << PortNumber(0);
    QTest::newRow("two signs") << "+-3" << PortNumber(0);
    QTest::newRow("hexadecimal prefix") << "&H10" << PortNumber(0);

    // The number ends at the first character that cannot continue it.
    QTest::newRow("seven then letters") << "7abc" << PortNumber(7);
    QTest::newRow("second point") << "4.5.6" << PortNumber(4);
    QTest::newRow("comma") << "6,7" << PortNumber(6);
    QTest::newRow("carriage return ends it") << "3\r4" << PortNumber(3);

    // Blanks, tabs and line feeds are ignored wherever they stand.
    QTest::newRow("blank before") << " 5" << PortNumber(5);
    QTest::newRow("blank inside") << "1 2" << PortNumber(12);
    QTest::newRow("tab and line feed") << "\t-\n3 " << PortNumber(-3);
    QTest::newRow("blank inside exponent") << "1e 2" << PortNumber(100);

    // Halves go to the even neighbour; anything past a half goes up.
    QTest::newRow("2.5 down") << "2.5" << PortNumber(2);
    QTest::newRow("3.5 up") << "3.5" << PortNumber(4);
    QTest::newRow("0.5 to zero") << "0.5" << PortNumber(0);
    QTest::newRow("-2.5") << "-2.5" << PortNumber(-2);
    QTest::newRow("-3.5") << "-3.5" << PortNumber(-4);
    QTest::newRow("just past a half") << "2.50000000000000000000001" << PortNumber(3);
    QTest::newRow("just under a half") << "2.49999999999999999999999" << PortNumber(2);
    QTest::newRow("point only at end") << "6." << PortNumber(6);
    QTest::newRow("leading point") << ".7" << PortNumber(1);
    QTest::newRow("tiny") << "0.000000000000000000000000001" << PortNumber(0);

    // Exponents.
    QTest::newRow("exponent") << "1e1" << PortNumber(10);
    QTest::newRow("capital exponent") << "25E-1" << PortNumber(2);
    QTest::newRow("negative exponent") << "35e-1" << PortNumber(4);
    QTest::newRow("exponent without digits") << "5e" << PortNumber(5);
    QTest::newRow("exponent with sign only") << "5e+" << PortNumber(5);
    QTest::newRow("huge negative exponent") << "8e-999999999999" << PortNumber(0);
    QTest::newRow("exponent brings it in range") << "3276700e-2" << PortNumber(32767);

    // The 16-bit range.
    QTest::newRow("highest") << "32767" << PortNumber(32767);
    QTest::newRow("lowest") << "-32768" << PortNumber(-32768);
    QTest::newRow("32767.4 rounds into range") << "32767.4" << PortNumber(32767);
    QTest::newRow("32767.5 rounds out") << "32767.5" << tooLarge;
    QTest::newRow("-32768.5 rounds to even, in range") << "-32768.5" << PortNumber(-32768);
    QTest::newRow("-32769") << "-32769" << tooLarge;
    QTest::newRow("32768") << "32768" << tooLarge;
    QTest::newRow("40000") << "40000" << tooLarge;
    QTest::newRow("1e999") << "1e999" << tooLarge;
    QTest::newRow("-1e5") << "-1e5" << tooLarge;
    QTest::newRow("exponent beyond any integer") << "1e99999999999999999999" << tooLarge;
    QTest::newRow("many digits") << QString(400, u'9') << tooLarge;
    QTest::newRow("many leading zeros") << QString(400, u'0') + "3" << PortNumber(3);
    QTest::newRow("zeros with a huge exponent") << "0.000e999999" << PortNumber(0);
}

void tst_PortNumberText::readsStoredText()
{
    QFETCH(QString, text);
    QFETCH(PortNumber, expected);
    QCOMPARE(portNumberFromText(text), expected);
}

QTEST_APPLESS_MAIN(tst_PortNumberText)
#include "tst_portnumbertext.moc"
