// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "privatedev.h"
#include "windowfixture.h"

#include "device_link/devicenames.h"
#include "device_link/portdevice.h"
#include "device_link/serialport.h"
#include "main_window/porthint.h"
#include <main_window/Telvaronix>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

using namespace DeviceLink;

namespace {
const QString LockFolder = QStringLiteral("/run/lock");

// A lock file written as another program would (or, without content, a named pipe in its
// place), removed again by the test.
struct ForeignLock
{
    ForeignLock(const QString &name, const QByteArray &content, const QString &folder = LockFolder)
        : path(folder + u'/' + name), content(content)
    {
        QFile file(path);
        if (content.isNull())
            ::mkfifo(qPrintable(path), 0666);
        else if (file.open(QIODevice::WriteOnly))
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

const QString AdapterName = QStringLiteral("usb-Telvaronix_Prueba_A50285BI-if00-port0");

QByteArray binaryPid(qint64 pid)
{
    const qint32 value = qint32(pid);
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

QByteArray asciiPid(qint64 pid)
{
    return QByteArray::number(pid).rightJustified(10) + '\n';
}

// The id of a process that has ended.
qint64 endedProcessId()
{
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ended.waitForStarted();
    const qint64 pid = ended.processId();
    ended.waitForFinished();
    return pid;
}
} // namespace

// Other serial programs on the same device: their marks are respected and left alone, and the
// port list tells which device each port opens and what stands in its way.
class tst_OtherPrograms : public WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone_data();
    void liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone();
    void deadOrFakeLock_opensOrWarnsWithoutHanging_data();
    void deadOrFakeLock_opensOrWarnsWithoutHanging();
    void minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving_data();
    void minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving();
    void hint_namesTheDeviceAndWhatStandsInItsWay_data();
    void hint_namesTheDeviceAndWhatStandsInItsWay();

private:
    QString hintOnTheList();
    QString hintOnDropDownEntry(int port);
    // Port 2's hint as the user nobody sees it: permission bits do not stop root.
    QString hintForPort2AsNobody();

    std::unique_ptr<QProcess> m_otherProgram;
    pid_t m_loginPrompt = 0;
    // Where a test's own sysfs is read from.
    QTemporaryDir m_sysfs;
};

void tst_OtherPrograms::init()
{
    WindowFixture::init();
    linkDevice(1);
    linkDevice(2);
    // A live process that is not this one, standing for the program that holds the device.
    m_otherProgram = std::make_unique<QProcess>();
    m_otherProgram->start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(m_otherProgram->waitForStarted());
}

void tst_OtherPrograms::cleanup()
{
    closeWindow();
    m_otherProgram->kill();
    m_otherProgram->waitForFinished();
    m_otherProgram.reset();
    if (m_loginPrompt > 0) {
        ::kill(m_loginPrompt, SIGKILL);
        ::waitpid(std::exchange(m_loginPrompt, 0), nullptr, 0);
    }
    readSysfsBelow({});
    WindowFixture::cleanup();
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
    // Under the name of whichever path the owner opened; a dead process's lock under the
    // device's first name changes nothing.
    QTest::addColumn<QString>("openedAs");
    QTest::addColumn<bool>("binary");
    QTest::newRow("UUCP name, ASCII pid (cu, lockdev)") << "node" << false;
    QTest::newRow("UUCP name, binary pid (old tools)") << "node" << true;
    QTest::newRow("QSerialPort's name, as minicom writes it") << "below /dev" << false;
    QTest::newRow("udev's name for the adapter") << "by-id" << false;
    QTest::newRow("a name of its own in /dev, as a udev rule gives") << "in /dev" << false;
    QTest::newRow("in /tmp, where QSerialPort locks if /run/lock is root's") << "/tmp" << false;
}

void tst_OtherPrograms::liveLockFile_warnsAtStartAndAtAPortChangeAndIsLeftAlone()
{
    QFETCH(QString, openedAs);
    QFETCH(bool, binary);
    const qint64 pid = m_otherProgram->processId();
    const QString node = QFileInfo(device(1).devicePath()).fileName(); // N of /dev/pts/N
    QString name = QStringLiteral("LCK..") + node;
    if (openedAs == "below /dev")
        name = QStringLiteral("LCK..pts_") + node;
    if (openedAs == "by-id") {
        SKIP_WITHOUT_PRIVATE_DEV();
        device(1).nameAsAdapter(AdapterName);
        name = QStringLiteral("LCK..serial_by-id_") + AdapterName;
    }
    std::unique_ptr<ForeignLock> devLink;
    if (openedAs == "in /dev") {
        SKIP_WITHOUT_PRIVATE_DEV();
        QVERIFY(QFile::link(device(1).devicePath(), "/dev/telvaronix-arduino"));
        name = QStringLiteral("LCK..telvaronix-arduino");
    }
    const ForeignLock lock(name, binary ? binaryPid(pid) : asciiPid(pid),
                           openedAs == "/tmp" ? QStringLiteral("/tmp") : LockFolder);
    std::unique_ptr<ForeignLock> stale;
    if (openedAs != "node")
        stale = std::make_unique<ForeignLock>("LCK.." + node, asciiPid(endedProcessId()));

    showActiveWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(!m_parts->Coom1->PortOpen());
    QVERIFY(!changePortTo(2));
    QVERIFY(m_parts->Coom1->PortOpen());
    QVERIFY(changePortTo(1));
    QVERIFY(!m_parts->Coom1->PortOpen());

    QVERIFY(!device(1).isHeldOpen());
    QCOMPARE(lock.onDisk(), lock.content);
    QFile::remove("/dev/telvaronix-arduino");
}

void tst_OtherPrograms::deadOrFakeLock_opensOrWarnsWithoutHanging_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("inUse");
    // clang-format off
    QTest::newRow("a lock naming a process that has ended") << "LCK..%1" << "ended" << false;
    // Opening the pipe would hang QSerialPort, which reads its own lock file at this name.
    QTest::newRow("a named pipe in a lock's place") << "LCK..pts_%1" << "pipe" << true;
    QTest::newRow("the same, a minute old") << "LCK..pts_%1" << "old pipe" << true;
    // Larger than any lock, it would be read whole; a link may be swapped for a pipe.
    QTest::newRow("a lock file of 2 KiB") << "LCK..pts_%1" << "oversized" << true;
    QTest::newRow("a link in a lock's place") << "LCK..%1" << "link" << true;
    // QSerialPort takes it for a lock being written, until it is 30 s old.
    QTest::newRow("a lock naming no process, just written") << "LCK..%1" << "nameless" << true;
    QTest::newRow("a lock naming no process, a minute old") << "LCK..%1" << "old nameless" << false;
    // clang-format on
}

void tst_OtherPrograms::deadOrFakeLock_opensOrWarnsWithoutHanging()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, inUse);
    const QByteArray ended = asciiPid(endedProcessId());
    const QString lockName = name.arg(QFileInfo(device(1).devicePath()).fileName());
    const ForeignLock lock(lockName,
                           kind.endsWith("pipe")           ? QByteArray()
                               : kind == "oversized"       ? ended.leftJustified(2048)
                               : kind.endsWith("nameless") ? QByteArray("telvaronix\n")
                                                           : ended);
    if (kind.startsWith("old ")) {
        QFile file(lock.path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                 QFileDevice::FileModificationTime));
    }
    // The link leads to a lock that by itself would not count.
    std::unique_ptr<ForeignLock> linked;
    if (kind == "link") {
        linked = std::make_unique<ForeignLock>(lockName + ".linked", ended);
        QVERIFY(QFile::remove(lock.path) && QFile::link(linked->path, lock.path));
    }
    showActiveWindow();
    QCOMPARE(m_warnings->seen().size(), inUse ? 1 : 0);
    QCOMPARE(m_parts->Coom1->PortOpen(), !inUse);
}

void tst_OtherPrograms::minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving_data()
{
    QTest::addColumn<bool>("byId");
    QTest::newRow("minicom -D /dev/pts/N") << false;
    QTest::newRow("minicom -D /dev/serial/by-id/...") << true;
}

void tst_OtherPrograms::minicomHoldingTheDevice_warnsAndMinicomKeepsReceiving()
{
    QFETCH(bool, byId);
    if (byId)
        SKIP_WITHOUT_PRIVATE_DEV();
    QString opened = device(1).devicePath();
    if (byId) {
        device(1).nameAsAdapter(AdapterName);
        opened = device(1).adapterPath();
    }
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
    terminal.start(script,
                   {QStringLiteral("-qfec"),
                    minicom + QStringLiteral(" -D ") + opened + QStringLiteral(" -b 19200"),
                    QStringLiteral("/dev/null")});
    QVERIFY(terminal.waitForStarted());
    const QString lockFile =
        LockFolder + QStringLiteral("/LCK..") + opened.mid(5).replace('/', '_');
    QTRY_VERIFY_WITH_TIMEOUT(device(1).isHeldOpen() && QFile::exists(lockFile), 5000);

    showActiveWindow();
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(!m_parts->Coom1->PortOpen());

    device(1).write("HOLA DESDE EL EQUIPO");
    QByteArray shown;
    QTRY_VERIFY_WITH_TIMEOUT((shown += terminal.readAll()).contains("HOLA DESDE EL EQUIPO"), 5000);
    terminal.kill();
    terminal.waitForFinished();
    QFile::remove(lockFile); // minicom, killed, left it behind
}

QString tst_OtherPrograms::hintForPort2AsNobody()
{
    if (::geteuid() != 0)
        return portHint(2, portStatus(2));
    const passwd *nobody = ::getpwnam("nobody");
    int result[2];
    if (!nobody || ::pipe(result) != 0 || ::chmod(qPrintable(m_config->path()), 0755) != 0)
        return QStringLiteral("(cannot become nobody)");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
            ::setuid(nobody->pw_uid) == 0) {
            const QByteArray hint = portHint(2, portStatus(2)).toUtf8();
            [[maybe_unused]] const auto written = ::write(result[1], hint.data(), hint.size());
        }
        ::_exit(0);
    }
    ::close(result[1]);
    QFile reading;
    if (!reading.open(result[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "the child's answer cannot be read";
    const QString hint = QString::fromUtf8(reading.readAll());
    ::waitpid(child, nullptr, 0);
    return hint;
}

void tst_OtherPrograms::hint_namesTheDeviceAndWhatStandsInItsWay_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("situation");
    QTest::newRow("device found") << 2 << "found";
    QTest::newRow("the port this window holds") << 1 << "found";
    QTest::newRow("no such device") << 2 << "missing";
    QTest::newRow("an adapter not plugged in") << 2 << "unplugged";
    QTest::newRow("not a device") << 2 << "plain file";
    QTest::newRow("a device that is no terminal") << 2 << "null";
    QTest::newRow("held by another program") << 2 << "in use";
    QTest::newRow("the kernel's console") << 2 << "console";
    QTest::newRow("a login prompt's terminal") << 2 << "login prompt";
    QTest::newRow("no permission, the group would give it") << 2 << "group may";
    QTest::newRow("no permission, the group would not") << 2 << "owner only";
}

void tst_OtherPrograms::hint_namesTheDeviceAndWhatStandsInItsWay()
{
    QFETCH(int, port);
    QFETCH(QString, situation);
    const QString devicePath = device(port).devicePath();
    QString expected = QStringLiteral("C%1: %2").arg(port).arg(devicePath);
    std::unique_ptr<ForeignLock> lock;
    const auto relink = [this](const QString &target) {
        QFile::remove(device(2).linkPath());
        QVERIFY(QFile::link(target, device(2).linkPath()));
    };
    if (situation == "missing") {
        relink("/dev/ttyUSB99");
        expected = QStringLiteral("C2: /dev/ttyUSB99 — no existe");
    } else if (situation == "unplugged") {
        relink("/dev/serial/by-id/" + AdapterName);
        expected = "C2: /dev/serial/by-id/" + AdapterName + " — no conectado";
    } else if (situation == "plain file") {
        relink(m_config->settingsFile());
        m_config->storePort("1");
        expected = "C2: " + m_config->settingsFile() + " — no es un puerto serie";
    } else if (situation == "null") {
        relink("/dev/null");
        expected = QStringLiteral("C2: /dev/null — no es un puerto serie");
    } else if (situation == "in use") {
        lock = std::make_unique<ForeignLock>(QStringLiteral("LCK..") +
                                                 QFileInfo(devicePath).fileName(),
                                             asciiPid(m_otherProgram->processId()));
        expected += QStringLiteral(" — en uso (PID %1, sleep)").arg(m_otherProgram->processId());
    } else if (situation == "console") {
        QVERIFY(QDir().mkpath(m_sysfs.path() + "/sys/class/tty/console"));
        QFile active(m_sysfs.path() + "/sys/class/tty/console/active");
        QVERIFY(active.open(QIODevice::WriteOnly));
        active.write("tty0 " + QFile::encodeName(devicePath.mid(5)) + '\n');
        active.close();
        readSysfsBelow(m_sysfs.path());
        expected += QStringLiteral(" — en uso (consola del sistema)");
    } else if (situation == "login prompt") {
        // A process whose controlling terminal the device is, as getty makes it, with no lock.
        if ((m_loginPrompt = ::fork()) == 0) {
            ::setsid();
            ::open(qPrintable(devicePath), O_RDWR);
            ::execlp("sleep", "sleep", "60", nullptr);
            ::_exit(1);
        }
        QTRY_VERIFY(device(2).isHeldOpen());
        expected += QStringLiteral(" — en uso (PID %1, sleep)").arg(m_loginPrompt);
    } else if (situation == "group may" || situation == "owner only") {
        const bool groupMay = situation == "group may";
        QCOMPARE(::chmod(qPrintable(devicePath), groupMay ? 0660 : 0600), 0);
        expected += groupMay
            ? QStringLiteral(" — sin permiso (grupo %1)").arg(QFileInfo(devicePath).group())
            : QStringLiteral(" — sin permiso");
        QCOMPARE(hintForPort2AsNobody(), expected);
        return;
    }
    showActiveWindow();
    m_parts->ComboCom->setCurrentIndex(port - 1);
    QCOMPARE(hintOnTheList(), expected);
    m_parts->ComboCom->setCurrentIndex(port % 8);
    QCOMPARE(hintOnDropDownEntry(port), expected);
    if (m_loginPrompt == 0)
        QVERIFY(!device(2).isHeldOpen()); // finding out opened nothing
    if (expected.contains("— en uso")) {
        QVERIFY(changePortTo(2));
        QVERIFY(!m_parts->Coom1->PortOpen());
    }
}

QTEST_MAIN(tst_OtherPrograms)
#include "tst_otherprograms.moc"
