// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

using namespace SettingsStore;

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void nothingStored_givesTheDefault();
    void savedValue_readsBackAndSitsWhereOtherToolsLook();
#ifndef Q_OS_WIN // the INI file
    void valueWithComma_readsBackAsWritten();
    void fileWithByteOrderMark_readsAndStoresWithoutFailure();
    void unwritableFolder_throwsAndKeepsTheEarlierValue_data();
    void unwritableFolder_throwsAndKeepsTheEarlierValue();
#endif
};

void tst_SettingsStore::nothingStored_givesTheDefault()
{
    IsolatedConfig config;
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "1");
#ifndef Q_OS_WIN
    QVERIFY(!QFile::exists(config.settingsFile()));
#endif
}

void tst_SettingsStore::savedValue_readsBackAndSitsWhereOtherToolsLook()
{
    IsolatedConfig config;
    SaveSetting("Telvaronix", "ajustes", "puerto", "4");
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "4");
#ifdef Q_OS_WIN
    // A string value in the application's key, subkey "ajustes".
    const QVariant stored =
        QSettings(registryRoot() + "\\Telvaronix\\ajustes", QSettings::NativeFormat)
            .value("puerto");
    QCOMPARE(stored.metaType().id(), QMetaType::QString);
    QCOMPARE(stored, "4");
#else
    QCOMPARE(config.settingsFileContent(), "[ajustes]\npuerto=4\n");
#endif

    SaveSetting("Telvaronix", "ajustes", "puerto", "7");
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "7");
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "otro", "x"), "x");
}

#ifndef Q_OS_WIN
void tst_SettingsStore::valueWithComma_readsBackAsWritten()
{
    IsolatedConfig config;
    QDir().mkpath(config.path() + "/Telvaronix");
    QFile file(config.settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[ajustes]\npuerto=6, 7\n");
    file.close();
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "6, 7");
}

void tst_SettingsStore::fileWithByteOrderMark_readsAndStoresWithoutFailure()
{
    IsolatedConfig config;
    QDir().mkpath(config.path() + "/Telvaronix");
    QFile file(config.settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF[ajustes]\npuerto=3\n"); // as some editors save it
    file.close();
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "3");
    SaveSetting("Telvaronix", "ajustes", "puerto", "5");
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), "5");
}

void tst_SettingsStore::unwritableFolder_throwsAndKeepsTheEarlierValue_data()
{
    QTest::addColumn<bool>("storeFirst");
    QTest::addColumn<QString>("blocker");
    // Root ignores permission bits, so the folder is made unwritable by putting something
    // else where the program needs a folder or a file.
    QTest::newRow("a file where the folder must be") << false << "folder";
    QTest::newRow("a folder where the file must be") << false << "file";
    QTest::newRow("a folder where the lock file must be") << true << "lock";
}

void tst_SettingsStore::unwritableFolder_throwsAndKeepsTheEarlierValue()
{
    QFETCH(bool, storeFirst);
    QFETCH(QString, blocker);
    IsolatedConfig config;
    const QString folder = config.path() + "/Telvaronix";
    if (storeFirst)
        SaveSetting("Telvaronix", "ajustes", "puerto", "3");
    const QByteArray before = config.settingsFileContent();

    if (blocker == "folder") {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (blocker == "file") {
        QVERIFY(QDir().mkpath(config.settingsFile()));
    } else {
        QVERIFY(QDir().mkpath(config.settingsFile() + ".lock/x"));
    }

    QVERIFY_THROWS_EXCEPTION(SettingsStore::Error,
                             SaveSetting("Telvaronix", "ajustes", "puerto", "5"));
    QCOMPARE(config.settingsFileContent(), before);
    QCOMPARE(GetSetting("Telvaronix", "ajustes", "puerto", "1"), storeFirst ? "3" : "1");
}

#endif

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
