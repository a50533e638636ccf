// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowfixture.h"

#include "device_link/portdevice_unix.h"
#include "device_link/serialport.h"
#include "main_window/exchangerecord.h"
#include "main_window/recordfile.h"
#include <main_window/Telvaronix>

#include <QDateTime>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// The records of a CSV file (RFC 4180), each a list of its fields; a record cut short is left out.
QList<QStringList> readCsv(const QString &path)
{
    static const QRegularExpression field("(?:\"((?:[^\"]|\"\")*)\"|([^,\"\r\n]*))(,|\r\n)");
    QFile file(path);
    QList<QStringList> records {{}};
    for (const auto &match : field.globalMatch(
             file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString())) {
        records.last() << match.captured(2) + match.captured(1).replace("\"\"", "\"");
        if (match.captured(3) == QLatin1String("\r\n"))
            records << QStringList();
    }
    records.removeLast();
    return records;
}

const QByteArray Reply = "OK LEDS ENCENDIDOS  ";
} // namespace

using namespace DeviceLink;

// What --log keeps: one CSV line per exchange, whatever the device sends.
class tst_ExchangeRecord : public WindowFixture
{
    Q_OBJECT

private slots:
    void eachPress_isOneLine_data();
    void eachPress_isOneLine();
    void twoProgramsAtOnce_takeTurns();
    void failedWrite_isToldOnceAndTheRecordGoesOn();

private:
    // Shows a window that keeps its record in m_record, its port 1 on a device or leading
    // nowhere (not to the machine's own ttyS0).
    void showRecordedWindow(bool withDevice);
    QString m_record;
};

void tst_ExchangeRecord::showRecordedWindow(bool withDevice)
{
    if (withDevice)
        linkDevice(1);
    else
        QVERIFY(QDir().mkpath(portLinkFolder()) && QFile::link("/nowhere", portLinkPath(1)));
    showActiveWindow();
    m_record = m_config->path() + "/record.csv";
    QString why;
    m_window->keepRecord(*RecordFile::open(m_record, &why));
}

void tst_ExchangeRecord::eachPress_isOneLine_data()
{
    // The device's answer to each command in turn (the presses), bytes it sends once the first
    // wait has given up, whether the second press comes during the first one's wait, and per
    // line: command, outcome, reply field, bytes.
    using Answers = QList<QByteArray>;
    using Lines = QList<QStringList>;
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QByteArray>("late");
    QTest::addColumn<bool>("nested");
    QTest::addColumn<Lines>("lines");
    const QByteArray odd("=1\r\n\"a,b\"\x01\x7f\x80\xe9\xff tail", 20);
    const QStringList replied {"cmd02 ", "reply", Reply, Reply.toHex(' ')};
    QTest::newRow("a reply") << Answers {Reply} << QByteArray() << false
                             << Lines {{"cmd01 ", "reply", Reply, Reply.toHex(' ')}};
    QTest::newRow("control characters and bytes above 127")
        << Answers {odd} << QByteArray() << false
        << Lines {{"cmd01 ", "reply", "'" + QString::fromLatin1(odd), odd.toHex(' ')}};
    QTest::newRow("a short answer, discarded")
        << Answers {Reply.left(19)} << QByteArray() << false
        << Lines {{"cmd01 ", "no reply", "", Reply.left(19).toHex(' ')}};
    QTest::newRow("a late answer, shown at the next press")
        << Answers {"", ""} << Reply << false << Lines {{"cmd01 ", "no reply", "", ""}, replied};
    QTest::newRow("a press within a wait, after it")
        << Answers {"", Reply} << QByteArray() << true
        << Lines {{"cmd01 ", "no reply", "", ""}, replied};
    QTest::newRow("no port open") << Answers {} << QByteArray() << false
                                  << Lines {{"cmd01 ", "no port open", "", ""}};
}

void tst_ExchangeRecord::eachPress_isOneLine()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(QByteArray, late);
    QFETCH(bool, nested);
    QFETCH(QList<QStringList>, lines);
    showRecordedWindow(!answers.isEmpty());
    qsizetype answered = 0;
    onCommand = [&](const QByteArray &) { device(1).write(answers.value(answered++)); };
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [this] { fireTick(*m_parts); });
    ticker.start(50);
    if (nested)
        QTimer::singleShot(10, this, [this] { press(2); });
    press(1);
    if (!late.isEmpty()) {
        device(1).write(late);
        QTRY_COMPARE(m_parts->Coom1->InBufferCount(), late.size());
    }
    if (answers.size() > 1 && !nested)
        press(2);

    QTRY_COMPARE(readCsv(m_record).size(), lines.size() + 1);
    const QList<QStringList> records = readCsv(m_record);
    QCOMPARE(records.first().join(',') + "\r\n", ExchangeRecord::Header);
    const QString devicePath = answers.isEmpty() ? QString() : device(1).devicePath();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList &record = records.at(i + 1);
        QCOMPARE(record.mid(1, 6), QStringList({"1", devicePath}) + lines.at(i));
        QCOMPARE(record.size(), 8);
        const QDateTime writtenAt = QDateTime::fromString(record.at(0), Qt::ISODateWithMs);
        QVERIFY(qAbs(writtenAt.secsTo(QDateTime::currentDateTime())) < 60);
        QVERIFY(
            QRegularExpression("\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d)$").match(record.at(0)).hasMatch());
    }
}

void tst_ExchangeRecord::twoProgramsAtOnce_takeTurns()
{
    // Two processes append a few hundred lines each to an empty file while a third one's turn
    // on it lasts, in which it writes the header: one header, every line whole.
    const QString path = m_config->path() + "/shared.csv";
    constexpr int Lines = 300;
    QString why;
    const RecordFile file = *RecordFile::open(path, &why);
    QFile holder(path);
    QVERIFY(holder.open(QIODevice::Append) && ::flock(holder.handle(), LOCK_EX) == 0);
    pid_t children[2];
    for (pid_t &child : children) {
        if ((child = ::fork()) == 0) {
            ::close(holder.handle()); // Else the holder's turn would last as long as the child.
            const QByteArray line = "2026-12-09T10:00:00.000+01:00,1,/dev/pts/9,cmd01 ,reply,\"" +
                QByteArray(200, 'x') + "\",4f 4b,3\r\n";
            for (int i = 0; i < Lines; ++i)
                file.append(line, "header\r\n", &why);
            ::_exit(0);
        }
    }
    QTest::qWait(20);
    holder.write("header\r\n");
    holder.close();
    for (pid_t child : children)
        ::waitpid(child, nullptr, 0);
    const QList<QStringList> records = readCsv(path);
    QCOMPARE(records.size(), 2 * Lines + 1);
    QCOMPARE(records.first(), QStringList {"header"});
    for (qsizetype i = 1; i < records.size(); ++i)
        QCOMPARE(records.at(i).size(), 8);
}

void tst_ExchangeRecord::failedWrite_isToldOnceAndTheRecordGoesOn()
{
    showRecordedWindow(true);
    answerEachCommandWith(Reply);
    press(1);
    QTRY_COMPARE(readCsv(m_record).size(), 2);
    // Standard error into a file, and no file grows more than a few bytes: half a line.
    QTemporaryFile told;
    QVERIFY(told.open());
    const int standardError = ::dup(STDERR_FILENO);
    ::dup2(told.handle(), STDERR_FILENO);
    rlimit unlimited {};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    // The file at its limit, then a few bytes short of it: nothing written, then half a line.
    for (int button = 2; button <= 3; ++button) {
        rlimit full = unlimited;
        full.rlim_cur = rlim_t(QFileInfo(m_record).size() + (button - 2) * 10);
        ::setrlimit(RLIMIT_FSIZE, &full);
        m_parts->Lbl1->clear();
        press(button);
        QCOMPARE(m_parts->Lbl1->text().toLatin1(), Reply);
        QTest::qWait(20);
    }
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    ::dup2(standardError, STDERR_FILENO);
    ::close(standardError);
    QVERIFY(told.seek(0));
    QCOMPARE(told.readAll().count('\n'), 1);

    press(4);
    QTRY_COMPARE(readCsv(m_record).size(), 5);
    const QList<QStringList> records = readCsv(m_record);
    for (qsizetype i = 1; i < records.size(); ++i) {
        QVERIFY(QDateTime::fromString(records.at(i).first(), Qt::ISODateWithMs).isValid());
        QCOMPARE(records.at(i).value(3), QString("cmd0%1 ").arg(i));
    }
}

QTEST_MAIN(tst_ExchangeRecord)
#include "tst_exchangerecord.moc"
