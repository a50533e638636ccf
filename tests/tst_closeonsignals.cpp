// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "closeonsignals.h"

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "windowparts.h"

#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Counts the warnings shown, whether or not an event loop then runs them: after an earlier
// case's signal has ended the event loops, a nested one returns at once.
struct ShownWarnings : QObject
{
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched))
            ++count;
        return false;
    }
    int count = 0;
};
} // namespace

// The signals that end a session or a terminal close the windows, as the close box does.
class tst_CloseOnSignals : public QObject
{
    Q_OBJECT

private slots:
    void signal_closesTheWindows_data();
    void signal_closesTheWindows();
    void manySignalsAtOnce_neitherBlockNorChangeErrno();
    void endedBridge_givesTheSignalsBackTheirDefault();
    void signalWhileStuckInASystemCall_endsTheProgramWithinTwoSeconds();
    void signalBeforeThePortOpens_keepsItClosed();
};

void tst_CloseOnSignals::signal_closesTheWindows_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void tst_CloseOnSignals::signal_closesTheWindows()
{
    QFETCH(int, signal);
    QWidget window;
    window.show();
    const CloseOnSignals bridge;
    std::raise(signal);
    QTRY_VERIFY(!window.isVisible());
}

void tst_CloseOnSignals::manySignalsAtOnce_neitherBlockNorChangeErrno()
{
    // Far more than the socket holds before the event loop reads it: a blocking write in the
    // handler would stop the program here for good.
    QWidget window;
    window.show();
    const CloseOnSignals bridge;
    for (int i = 0; i < 100000; ++i)
        std::raise(SIGTERM);
    // The handler's write fails now, and the interrupted code may be about to read errno.
    errno = EDOM;
    std::raise(SIGTERM);
    QCOMPARE(errno, EDOM);
    QTRY_VERIFY(!window.isVisible());
}

void tst_CloseOnSignals::endedBridge_givesTheSignalsBackTheirDefault()
{
    {
        const CloseOnSignals bridge;
    }
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction now
        {
        };
        ::sigaction(signal, nullptr, &now);
        QVERIFY(now.sa_handler == SIG_DFL);
    }
}

void tst_CloseOnSignals::signalWhileStuckInASystemCall_endsTheProgramWithinTwoSeconds()
{
    // A child with the bridge, stuck opening a named pipe that nobody writes to.
    QTemporaryDir folder;
    const QByteArray pipe = QFile::encodeName(folder.filePath("pipe"));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const CloseOnSignals bridge;
        [[maybe_unused]] const auto written = ::write(ready[1], "r", 1);
        ::open(pipe.constData(), O_RDONLY);
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), 1);
    QTest::qWait(100);
    QElapsedTimer clock;
    clock.start();
    ::kill(child, SIGTERM);
    // The child's end of the pipe closes when it dies. (Qt's own SIGCHLD handler may reap it
    // before waitpid() could.)
    QCOMPARE(::read(ready[0], &byte, 1), 0);
    QVERIFY(clock.elapsed() < 3000);
    ::close(ready[0]);
    ::waitpid(child, nullptr, WNOHANG);
}

void tst_CloseOnSignals::signalBeforeThePortOpens_keepsItClosed()
{
    // A child, stopped while its window is being made: the window does not open its port,
    // whose device would see DTR rise, nor warn about it.
    const IsolatedConfig config;
    PseudoTerminal device;
    device.linkAsPort(config.path(), 1);
    int result[2];
    QCOMPARE(::pipe(result), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const CloseOnSignals bridge;
        std::raise(SIGTERM);
        ShownWarnings warnings;
        qApp->installEventFilter(&warnings);
        Telvaronix window;
        const char found = WindowParts(&window).Coom1->PortOpen() ? 'o'
            : warnings.count > 0                                  ? 'w'
                                                                  : '-';
        [[maybe_unused]] const auto written = ::write(result[1], &found, 1);
        ::_exit(0);
    }
    ::close(result[1]);
    char found = 0;
    QCOMPARE(::read(result[0], &found, 1), 1);
    ::close(result[0]);
    ::waitpid(child, nullptr, WNOHANG);
    QCOMPARE(found, '-');
    // Opening would have set the line to 19200 bit/s.
    const termios line = device.lineSettings();
    QVERIFY(::cfgetospeed(&line) != B19200);
}

QTEST_MAIN(tst_CloseOnSignals)
#include "tst_closeonsignals.moc"
