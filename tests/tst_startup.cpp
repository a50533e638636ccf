// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowfixture.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class tst_Startup : public WindowFixture
{
    Q_OBJECT

private slots:
    void storedPort_opensAndIsSelected_data();
    void storedPort_opensAndIsSelected();
    void missingPort_warnsBeforeShowingAndLeavesItSelectedAndClosed();
    void portInUse_warnsAndLeavesItClosed();
    void outOfRangeNumber_usesPort1AndWarnsEvenThoughItOpens_data();
    void outOfRangeNumber_usesPort1AndWarnsEvenThoughItOpens();
    void startUp_writesNoSetting();

private:
    // Links a device as every port from 1 to 8.
    void linkAllPorts();
    // Which device, 1 to 8, some program holds open; 0 when none.
    int heldPort() const;
};

void tst_Startup::linkAllPorts()
{
    for (int port = 1; port <= 8; ++port)
        linkDevice(port);
}

int tst_Startup::heldPort() const
{
    for (const auto &[port, device] : m_devices) {
        if (device->isHeldOpen())
            return port;
    }
    return 0;
}

void tst_Startup::storedPort_opensAndIsSelected_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expectedPort");

    QTest::newRow("nothing stored") << false << "" << 1;
    QTest::newRow("3") << true << "3" << 3;
    QTest::newRow("8") << true << "8" << 8;
    QTest::newRow("9") << true << "9" << 1;
    QTest::newRow("0") << true << "0" << 1;
    QTest::newRow("-2") << true << "-2" << 1;
    QTest::newRow("letters") << true << "puerto" << 1;
    QTest::newRow("empty") << true << "" << 1;
    QTest::newRow("2.5") << true << "2.5" << 2;
    QTest::newRow("3.5") << true << "3.5" << 4;
    QTest::newRow("7 then letters") << true << "7abc" << 7;
    QTest::newRow("blank then 5") << true << " 5" << 5;
    QTest::newRow("32767.4") << true << "32767.4" << 1;
}

void tst_Startup::storedPort_opensAndIsSelected()
{
    QFETCH(bool, stored);
    QFETCH(QString, text);
    QFETCH(int, expectedPort);
    linkAllPorts();
    if (stored)
        m_config->storePort(text);

    makeWindow();
    QVERIFY(m_warnings->seen().isEmpty());
    QVERIFY(m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->Coom1->CommPort(), expectedPort);
    QCOMPARE(m_parts->ComboCom->currentIndex(), expectedPort - 1);
    QTRY_COMPARE(heldPort(), expectedPort);
}

void tst_Startup::missingPort_warnsBeforeShowingAndLeavesItSelectedAndClosed()
{
    linkAllPorts();
    m_devices.erase(6); // port 6 is gone, link and all
    m_config->storePort("6");

    makeWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    const SeenWarning &warning = m_warnings->seen().first();
    QCOMPARE(warning.title, "Telvaronix");
    QCOMPARE(warning.text, "Numero de Puerto Invalido. Seleccione otro puerto");
    QCOMPARE(warning.icon, int(QMessageBox::NoIcon));
    QCOMPARE(warning.buttonCount, 1);
    QVERIFY(!warning.mainWindowVisible); // the warning came before the window
    QVERIFY(!m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->ComboCom->currentText(), "C6");
    QTest::qWait(20);
    QCOMPARE(heldPort(), 0);
}

void tst_Startup::portInUse_warnsAndLeavesItClosed()
{
    linkAllPorts();
    m_config->storePort("2");
    const int other = ::open(qPrintable(device(2).devicePath()), O_RDWR | O_NOCTTY);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);

    makeWindow();
    ::close(other);
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(!m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->ComboCom->currentText(), "C2");
}

void tst_Startup::outOfRangeNumber_usesPort1AndWarnsEvenThoughItOpens_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"40000", "-32769", "1e999", "32767.5"})
        QTest::newRow(text) << QString(text);
}

void tst_Startup::outOfRangeNumber_usesPort1AndWarnsEvenThoughItOpens()
{
    QFETCH(QString, text);
    linkAllPorts();
    m_config->storePort(text);
    makeWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->Coom1->CommPort(), 1);
    QCOMPARE(m_parts->ComboCom->currentIndex(), 0);
}

void tst_Startup::startUp_writesNoSetting()
{
    linkAllPorts();
    QVERIFY(showWindowWithPortOpen());
    closeWindow();
    QVERIFY(!QFile::exists(m_config->settingsFile()));
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
