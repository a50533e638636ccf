// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "windowdriver.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QToolTip>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {
const QString LockFolder = QStringLiteral("/run/lock");

// A lock file written as another program would, removed again by the test.
struct ForeignLock
{
    ForeignLock(const QString &name, const QByteArray &content)
        : path(LockFolder + u'/' + name), content(content)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    ~ForeignLock() { QFile::remove(path); }
    QByteArray onDisk() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(gone)");
    }

    QString path;
    QByteArray content;
};

QByteArray binaryPid(qint64 pid)
{
    const qint32 value = qint32(pid);
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}
} // namespace

// Other serial programs on the same device: their marks are respected and left alone, and the
// port list tells which device each port opens and what stands in its way.
class tst_OtherPrograms : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone_data();
    void liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone();
    void staleLockFile_doesNotKeepThePortClosed();
    void minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving();
    void hint_namesTheDeviceAndWhatStandsInItsWay_data();
    void hint_namesTheDeviceAndWhatStandsInItsWay();

private:
    void startWindow();
    // Moves the focus out of the list with entry C<port> chosen; true if a warning came.
    bool changePortTo(int port);
    QString hintOnTheList();
    QString hintOnDropDownEntry(int port);

    std::unique_ptr<IsolatedConfig> m_config;
    std::unique_ptr<PseudoTerminal> m_first;
    std::unique_ptr<PseudoTerminal> m_second;
    std::unique_ptr<QProcess> m_otherProgram;
    std::unique_ptr<WarningAnswerer> m_warnings;
    std::unique_ptr<Telvaronix> m_window;
    std::unique_ptr<WindowParts> m_parts;
};

void tst_OtherPrograms::init()
{
    m_config = std::make_unique<IsolatedConfig>();
    m_first = std::make_unique<PseudoTerminal>();
    m_first->linkAsPort(m_config->path(), 1);
    m_second = std::make_unique<PseudoTerminal>();
    m_second->linkAsPort(m_config->path(), 2);
    // A live process that is not this one, standing for the program that holds the device.
    m_otherProgram = std::make_unique<QProcess>();
    m_otherProgram->start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(m_otherProgram->waitForStarted());
    m_warnings = std::make_unique<WarningAnswerer>();
}

void tst_OtherPrograms::cleanup()
{
    m_parts.reset();
    m_window.reset();
    m_warnings.reset();
    m_otherProgram->kill();
    m_otherProgram->waitForFinished();
    m_otherProgram.reset();
    m_second.reset();
    m_first.reset();
    m_config.reset();
}

void tst_OtherPrograms::startWindow()
{
    m_window = std::make_unique<Telvaronix>();
    m_parts = std::make_unique<WindowParts>(m_window.get());
    m_warnings->setMainWindow(m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

bool tst_OtherPrograms::changePortTo(int port)
{
    const qsizetype before = m_warnings->seen().size();
    m_parts->ComboCom->setFocus(Qt::MouseFocusReason);
    m_parts->ComboCom->setCurrentIndex(port - 1);
    QTest::keyClick(m_parts->ComboCom, Qt::Key_Tab);
    return m_warnings->seen().size() > before;
}

QString tst_OtherPrograms::hintOnTheList()
{
    QWidget *list = m_parts->ComboCom;
    const QPoint centre = list->rect().center();
    QHelpEvent event(QEvent::ToolTip, centre, list->mapToGlobal(centre));
    QCoreApplication::sendEvent(list, &event);
    const QString text = QToolTip::text();
    QToolTip::hideText();
    return text;
}

QString tst_OtherPrograms::hintOnDropDownEntry(int port)
{
    m_parts->ComboCom->showPopup();
    QAbstractItemView *view = m_parts->ComboCom->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return QStringLiteral("(no drop-down)");
    const QPoint centre = view->visualRect(view->model()->index(port - 1, 0)).center();
    QHelpEvent event(QEvent::ToolTip, centre, view->viewport()->mapToGlobal(centre));
    QCoreApplication::sendEvent(view->viewport(), &event);
    const QString text = QToolTip::text();
    QToolTip::hideText();
    m_parts->ComboCom->hidePopup();
    return text;
}

void tst_OtherPrograms::liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone_data()
{
    QTest::addColumn<bool>("qtStyleName");
    QTest::addColumn<bool>("binary");
    QTest::newRow("UUCP name, ASCII pid (cu, lockdev)") << false << false;
    QTest::newRow("UUCP name, binary pid (old tools)") << false << true;
    QTest::newRow("QSerialPort's name, as minicom writes it") << true << false;
}

void tst_OtherPrograms::liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone()
{
    QFETCH(bool, qtStyleName);
    QFETCH(bool, binary);
    const qint64 pid = m_otherProgram->processId();
    const QString device = m_first->devicePath(); // /dev/pts/N
    const QString name = QStringLiteral("LCK..") +
        (qtStyleName ? QStringLiteral("pts_") : QString()) + QFileInfo(device).fileName();
    const ForeignLock lock(
        name, binary ? binaryPid(pid) : QByteArray::number(pid).rightJustified(10) + '\n');

    startWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(!m_parts->Coom1->PortOpen());
    QVERIFY(!changePortTo(2));
    QVERIFY(m_parts->Coom1->PortOpen());
    QVERIFY(changePortTo(1));
    QVERIFY(!m_parts->Coom1->PortOpen());

    QVERIFY(!m_first->isHeldOpen());
    QCOMPARE(lock.onDisk(), lock.content);
}

void tst_OtherPrograms::staleLockFile_doesNotKeepThePortClosed()
{
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    QVERIFY(ended.waitForFinished());
    const ForeignLock lock(QStringLiteral("LCK..") + QFileInfo(m_first->devicePath()).fileName(),
                           QByteArray::number(ended.processId()).rightJustified(10) + '\n');
    startWindow();
    QVERIFY(m_warnings->seen().isEmpty());
    QVERIFY(m_parts->Coom1->PortOpen());
}

void tst_OtherPrograms::minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving()
{
    const QString minicom = QStandardPaths::findExecutable(QStringLiteral("minicom"));
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (minicom.isEmpty() || script.isEmpty())
        QSKIP("minicom and script are needed");
    // minicom wants a terminal: script gives it one and passes on what it shows.
    QProcess terminal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("xterm"));
    environment.insert(QStringLiteral("HOME"), m_config->path());
    terminal.setProcessEnvironment(environment);
    terminal.start(
        script,
        {QStringLiteral("-qfec"),
         minicom + QStringLiteral(" -D ") + m_first->devicePath() + QStringLiteral(" -b 19200"),
         QStringLiteral("/dev/null")});
    QVERIFY(terminal.waitForStarted());
    const QString lockFile =
        LockFolder + QStringLiteral("/LCK..pts_") + QFileInfo(m_first->devicePath()).fileName();
    QTRY_VERIFY_WITH_TIMEOUT(m_first->isHeldOpen() && QFile::exists(lockFile), 5000);

    startWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(!m_parts->Coom1->PortOpen());

    m_first->write("HOLA DESDE EL EQUIPO");
    QByteArray shown;
    QTRY_VERIFY_WITH_TIMEOUT((shown += terminal.readAll()).contains("HOLA DESDE EL EQUIPO"), 5000);
    terminal.kill();
    terminal.waitForFinished();
    QFile::remove(lockFile); // minicom, killed, left it behind
}

void tst_OtherPrograms::hint_namesTheDeviceAndWhatStandsInItsWay_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("device found") << "found";
    QTest::newRow("no such device") << "missing";
    QTest::newRow("no permission") << "forbidden";
    QTest::newRow("held by another program") << "in use";
}

void tst_OtherPrograms::hint_namesTheDeviceAndWhatStandsInItsWay()
{
    QFETCH(QString, situation);
    const QString device = m_second->devicePath();
    QString expected = QStringLiteral("C2: ") + device;
    std::unique_ptr<ForeignLock> lock;
    if (situation == "missing") {
        QFile::remove(m_second->linkPath());
        QVERIFY(QFile::link("/dev/ttyUSB99", m_second->linkPath()));
        expected = QStringLiteral("C2: /dev/ttyUSB99 — no existe");
    } else if (situation == "forbidden") {
        if (::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        QCOMPARE(::chmod(qPrintable(device), 0), 0);
        expected += QStringLiteral(" — sin permiso (grupo %1)").arg(QFileInfo(device).group());
    } else if (situation == "in use") {
        lock = std::make_unique<ForeignLock>(
            QStringLiteral("LCK..") + QFileInfo(device).fileName(),
            QByteArray::number(m_otherProgram->processId()).rightJustified(10) + '\n');
        expected += QStringLiteral(" — en uso (PID %1, sleep)").arg(m_otherProgram->processId());
    }
    startWindow();
    m_parts->ComboCom->setCurrentIndex(1);
    QCOMPARE(hintOnTheList(), expected);
    m_parts->ComboCom->setCurrentIndex(0);
    QCOMPARE(hintOnDropDownEntry(2), expected);
    QVERIFY(!m_second->isHeldOpen()); // finding out opened nothing
}

QTEST_MAIN(tst_OtherPrograms)
#include "tst_otherprograms.moc"
