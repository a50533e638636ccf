// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowfixture.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// A settings file that this program did not write, or cannot use, never crashes it or stops
// it from starting on port 1, and is never overwritten by a port change.
class tst_DamagedSettings : public WindowFixture
{
    Q_OBJECT

private slots:
    void damagedFile_startsOnPort1AndIsKeptThroughAPortChange_data();
    void damagedFile_startsOnPort1AndIsKeptThroughAPortChange();
};

void tst_DamagedSettings::damagedFile_startsOnPort1AndIsKeptThroughAPortChange_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("binary junk") << "junk";
    QTest::newRow("huge, 10 MiB") << "huge";
    QTest::newRow("text with a NUL") << "nul";
    QTest::newRow("not UTF-8") << "latin1";
    QTest::newRow("a folder in the file's place") << "folder";
    QTest::newRow("a named pipe in the file's place") << "pipe";
    QTest::newRow("unreadable") << "unreadable";
}

void tst_DamagedSettings::damagedFile_startsOnPort1AndIsKeptThroughAPortChange()
{
    QFETCH(QString, damage);
    if (damage == "unreadable" && ::geteuid() == 0)
        QSKIP("permission bits do not stop root");

    linkDevice(1);
    linkDevice(2);
    const QString file = m_config->settingsFile();
    QByteArray content;
    if (damage == "junk") {
        for (int i = 0; i < 4096; ++i)
            content.append(char((i * 37 + 11) % 256));
    } else if (damage == "huge") {
        content = QByteArray("[ajustes]\npuerto=3\n") + QByteArray(10 * 1024 * 1024, '#');
    } else if (damage == "nul") {
        content = QByteArray("[ajustes]\npuerto=3\n\0\n", 21);
    } else if (damage == "latin1") {
        content = "[ajustes]\npuerto=3\nnombre=Se\xf1or\n";
    }
    if (damage == "folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (damage == "pipe") {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QCOMPARE(::mkfifo(qPrintable(file), 0600), 0);
    } else {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        if (damage == "unreadable")
            QVERIFY(out.setPermissions({}));
    }

    QElapsedTimer elapsed;
    elapsed.start();
    showActiveWindow();
    QVERIFY(elapsed.elapsed() < 2000);
    QVERIFY(m_warnings->seen().isEmpty());
    QCOMPARE(m_parts->Coom1->CommPort(), 1);
    QVERIFY(m_parts->Coom1->PortOpen());

    QVERIFY(changePortTo(2));
    QCOMPARE(m_parts->Coom1->CommPort(), 2); // the port changed; only storing it failed
    QVERIFY(m_parts->Coom1->PortOpen());

    if (damage == "folder") {
        QVERIFY(QFileInfo(file).isDir());
    } else if (damage == "pipe") {
        QVERIFY(QFileInfo(file).exists() && !QFileInfo(file).isFile());
    } else {
        QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(m_config->settingsFileContent(), content);
    }
}

QTEST_MAIN(tst_DamagedSettings)
#include "tst_damagedsettings.moc"
