// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Measures what the command exchange costs, driving the real Telvaronix window (offscreen)
// against a pseudo-terminal device served from a thread of its own:
//  - latency: from the device writing a reply's 20th character to the press having shown it
//    (the press returns right after setting the caption and emptying the buffer), beside
//    the floor of a plain poll()/read() loop on the same kind of line;
//  - exchanges per second against a device that answers at once, and what keeping a record of
//    them (--log) adds;
//  - CPU used by an unanswered wait, and by the program while no wait runs.

#include "isolatedconfig.h"
#include "pseudoterminal.h"
#include "stats.h"
#include "windowparts.h"

#include "device_link/serialport.h"
#include "main_window/recordfile.h"
#include <main_window/Telvaronix>

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

const QByteArray Reply = "BENCHMARK REPLY 20ch";

double threadCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The device: answers each six-character command from its own thread, so that its timing
// does not depend on the program's event loop.
class DeviceThread
{
public:
    enum class Mode { Silent, AtOnce, LastCharacterLate };

    explicit DeviceThread(int fd) : m_fd(fd), m_thread([this] { run(); }) { }
    ~DeviceThread()
    {
        m_stop = true;
        m_thread.join();
    }
    void setMode(Mode mode) { m_mode = mode; }
    // When the device wrote the last reply's 20th character.
    Clock::time_point lastCharacterWritten() const
    {
        return Clock::time_point(Clock::duration(m_lastWrite.load()));
    }

private:
    void run()
    {
        QByteArray received;
        while (!m_stop) {
            pollfd watched {m_fd, POLLIN, 0};
            if (::poll(&watched, 1, 50) <= 0 || !(watched.revents & POLLIN))
                continue;
            char chunk[256];
            const ssize_t count = ::read(m_fd, chunk, sizeof chunk);
            if (count <= 0)
                continue;
            received.append(chunk, count);
            while (received.size() >= 6) {
                received.remove(0, 6);
                answer();
            }
        }
    }
    void answer()
    {
        switch (m_mode.load()) {
        case Mode::Silent:
            return;
        case Mode::AtOnce:
            stamp();
            write(Reply);
            return;
        case Mode::LastCharacterLate:
            write(Reply.left(19));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            stamp();
            write(Reply.right(1));
            return;
        }
    }
    void stamp() { m_lastWrite = Clock::now().time_since_epoch().count(); }
    void write(const QByteArray &bytes)
    {
        [[maybe_unused]] const auto written =
            ::write(m_fd, bytes.constData(), size_t(bytes.size()));
    }

    const int m_fd;
    std::atomic<bool> m_stop {false};
    std::atomic<Mode> m_mode {Mode::Silent};
    std::atomic<Clock::rep> m_lastWrite {0};
    std::thread m_thread;
};

// The floor under the added latency: the least any program waiting on a pseudo-terminal can
// do, a plain poll() and read() loop on the same kind of line with the same device.
QList<double> plainReaderLatencies(int exchanges)
{
    PseudoTerminal line;
    DeviceThread device(line.releaseNearEnd());
    device.setMode(DeviceThread::Mode::LastCharacterLate);
    const int fd = ::open(qPrintable(line.devicePath()), O_RDWR | O_NOCTTY);
    termios raw {};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    QList<double> latencies;
    for (int i = 0; i < exchanges; ++i) {
        [[maybe_unused]] const auto written = ::write(fd, "cmd01 ", 6);
        int count = 0;
        char reply[64];
        while (count < 20) {
            pollfd watched {fd, POLLIN, 0};
            ::poll(&watched, 1, 1000);
            const ssize_t got = ::read(fd, reply + count, sizeof reply - size_t(count));
            count += got > 0 ? int(got) : 0;
        }
        const auto read = Clock::now();
        latencies << std::chrono::duration<double, std::micro>(read - device.lastCharacterWritten())
                         .count();
    }
    ::close(fd);
    return latencies;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Benchmarks of Telvaronix's command exchange.");
    parser.addHelpOption();
    parser.addOptions({
        {"exchanges", "Exchanges for the latency and rate figures.", "n", "1000"},
        {"waits", "Unanswered waits to measure (about 4 s each).", "n", "3"},
        {"idle", "Seconds to measure the program while no wait runs.", "s", "10"},
    });
    parser.process(app);
    const int exchanges = parser.value("exchanges").toInt();
    const int waits = parser.value("waits").toInt();
    const int idleSeconds = parser.value("idle").toInt();

    IsolatedConfig config;
    PseudoTerminal line;
    line.linkAsPort(config.path(), 1);
    DeviceThread device(line.releaseNearEnd());
    Telvaronix window;
    window.show();
    const WindowParts parts(&window);
    if (!parts.Coom1->PortOpen()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }
    QPushButton *button = parts.commandButton(1);

    std::printf("Telvaronix exchange benchmark (offscreen, pseudo-terminal device)\n");

    // Added latency.
    device.setMode(DeviceThread::Mode::LastCharacterLate);
    QList<double> latencies;
    for (int i = 0; i < exchanges; ++i) {
        parts.Lbl1->clear();
        button->click();
        const auto shown = Clock::now();
        if (parts.Lbl1->text() != QString::fromLatin1(Reply)) {
            std::fprintf(stderr, "exchange %d showed \"%s\"\n", i, qPrintable(parts.Lbl1->text()));
            return 1;
        }
        latencies << std::chrono::duration<double, std::micro>(shown -
                                                               device.lastCharacterWritten())
                         .count();
    }
    printFigure("latency, 20th char to caption", latencies, "us");
    printFigure("floor: plain poll()/read() reader", plainReaderLatencies(exchanges), "us");

    // Exchanges per second.
    device.setMode(DeviceThread::Mode::AtOnce);
    QList<double> exchangeTimes;
    const auto started = Clock::now();
    for (int i = 0; i < exchanges; ++i) {
        const auto before = Clock::now();
        button->click();
        exchangeTimes << std::chrono::duration<double, std::micro>(Clock::now() - before).count();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    printFigure("exchange, press to caption", exchangeTimes, "us");
    std::printf("%-34s %.0f exchanges/s over %d\n", "rate against an instant device",
                exchanges / seconds, exchanges);

    // What the record adds: each exchange with the events that follow it, where the record
    // writes its line, first without a record and then with one.
    const auto exchangeWithItsAftermath = [&] {
        QList<double> times;
        for (int i = 0; i < exchanges; ++i) {
            const auto before = Clock::now();
            button->click();
            QCoreApplication::processEvents();
            times << std::chrono::duration<double, std::micro>(Clock::now() - before).count();
        }
        return times;
    };
    printFigure("exchange and the pass after it", exchangeWithItsAftermath(), "us");
    QString why;
    window.keepRecord(*RecordFile::open(config.path() + "/record.csv", &why));
    printFigure("the same, with --log", exchangeWithItsAftermath(), "us");

    // Unanswered waits, on the real one-second ticks.
    device.setMode(DeviceThread::Mode::Silent);
    QList<double> waitCpu;
    QList<double> waitLength;
    for (int i = 0; i < waits; ++i) {
        const double cpuBefore = threadCpuSeconds();
        const auto before = Clock::now();
        button->click();
        waitLength << std::chrono::duration<double>(Clock::now() - before).count();
        waitCpu << (threadCpuSeconds() - cpuBefore) * 1000.0;
    }
    printFigure("unanswered wait, length", waitLength, "s");
    printFigure("unanswered wait, CPU", waitCpu, "ms");

    // No wait running: only the ticks.
    QList<double> idleCpu;
    for (int i = 0; i < idleSeconds; ++i) {
        const double cpuBefore = threadCpuSeconds();
        runEventLoopFor(1000);
        idleCpu << (threadCpuSeconds() - cpuBefore) * 1000.0;
    }
    printFigure("no wait running, CPU per second", idleCpu, "ms");
    return 0;
}
