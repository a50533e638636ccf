// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "closeonsignals.h"

#include <QTest>
#include <QWidget>

#include <cerrno>
#include <csignal>

// The signals that end a session or a terminal close the windows, as the close box does.
class tst_CloseOnSignals : public QObject
{
    Q_OBJECT

private slots:
    void signal_closesTheWindows_data();
    void signal_closesTheWindows();
    void manySignalsAtOnce_neitherBlockNorChangeErrno();
    void endedBridge_givesTheSignalsBackTheirDefault();
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
    QTRY_VERIFY(bridge.received());
    QVERIFY(!window.isVisible());
}

void tst_CloseOnSignals::manySignalsAtOnce_neitherBlockNorChangeErrno()
{
    // Far more than the socket holds before the event loop reads it: a blocking write in the
    // handler would stop the program here for good.
    const CloseOnSignals bridge;
    for (int i = 0; i < 100000; ++i)
        std::raise(SIGTERM);
    // The handler's write fails now, and the interrupted code may be about to read errno.
    errno = EDOM;
    std::raise(SIGTERM);
    QCOMPARE(errno, EDOM);
    QTRY_VERIFY(bridge.received());
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

QTEST_MAIN(tst_CloseOnSignals)
#include "tst_closeonsignals.moc"
