// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

// Measures what happens when a device hangs up (the near end of its pseudo-terminal closed, as
// a pulled adapter drops the line), on whatever Qt this is built with:
//  - QSerialPort alone: what it reports, whether it stays open, and the CPU it burns;
//  - Telvaronix's SerialPort: how soon it closes, the CPU of the following seconds, and how
//    soon it opens the device once it is back: a new pseudo-terminal under the same adapter
//    name in /dev/serial/by-id, which takes a /dev of its own (tests/support/private-dev.sh).

#include "device_link/devicenames.h"
#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"
#include "device_link/serialport.h"
#include "isolatedconfig.h"
#include "privatedev.h"
#include "pseudoterminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMetaEnum>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

using namespace DeviceLink;

namespace {

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Runs the event loop for `ms` without adding work of its own (QTest::qWait wakes every few
// milliseconds).
void idleFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void bareQSerialPort(int seconds)
{
    PseudoTerminal device;
    QSerialPort port;
    port.setPortName(device.devicePath());
    if (!port.open(QIODevice::ReadWrite)) {
        std::printf("QSerialPort could not open %s\n", qPrintable(device.devicePath()));
        return;
    }
    QMap<QSerialPort::SerialPortError, int> reports;
    QObject::connect(&port, &QSerialPort::errorOccurred, &port,
                     [&](QSerialPort::SerialPortError error) {
                         if (error != QSerialPort::NoError)
                             ++reports[error];
                     });
    const double before = cpuSeconds();
    device.hangUp();
    idleFor(seconds * 1000);
    std::printf("QSerialPort alone, %d s after the hang-up: %s, CPU %.2f s, reports:", seconds,
                port.isOpen() ? "still open" : "closed", cpuSeconds() - before);
    if (reports.isEmpty())
        std::printf(" none");
    for (auto it = reports.cbegin(); it != reports.cend(); ++it)
        std::printf(" %s x%d",
                    QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(it.key()),
                    it.value());
    std::printf("\n");
}

void telvaronixSerialPort(int seconds)
{
    IsolatedConfig config;
    auto device = std::make_unique<PseudoTerminal>();
    device->linkAsPort(config.path(), 1);
    const bool canName = hasPrivateDev();
    // The port's link leads to the adapter's name, which the device back takes over.
    const auto nameAsTheAdapter = [&](PseudoTerminal &named) {
        QFile::remove(SerialByIdFolder + QStringLiteral("/usb-Telvaronix_Bench"));
        named.nameAsAdapter(QStringLiteral("usb-Telvaronix_Bench"));
        QFile::remove(portLinkPath(1));
        QFile::link(named.adapterPath(), portLinkPath(1));
    };
    if (canName)
        nameAsTheAdapter(*device);
    SerialPort port;
    port.setCommPort(1);
    port.setPortOpen(true);
    if (!QTest::qWaitFor([&] { return device->isHeldOpen(); }, 2000)) {
        std::printf("SerialPort could not open %s\n", qPrintable(device->devicePath()));
        return;
    }

    QElapsedTimer clock;
    const double before = cpuSeconds();
    clock.start();
    device->hangUp();
    // Its name goes with it, as udev removes it: left behind, it would lead the watch to the
    // next pseudo-terminal given the same number, another program's.
    if (canName)
        QFile::remove(device->adapterPath());
    const bool closed = QTest::qWaitFor([&] { return !port.PortOpen(); }, seconds * 1000);
    const double closedMs = clock.nsecsElapsed() / 1e6;
    idleFor(int(seconds * 1000 - closedMs));
    std::printf("SerialPort: %s %.1f ms after the hang-up, CPU in the %d s after it %.3f s\n",
                closed ? "closed" : "NOT closed", closedMs, seconds, cpuSeconds() - before);

    if (!canName) {
        std::printf("SerialPort: the device back not measured: that needs a /dev of its own\n");
        return;
    }
    device = std::make_unique<PseudoTerminal>();
    nameAsTheAdapter(*device);
    clock.restart();
    const bool back = QTest::qWaitFor([&] { return device->isHeldOpen(); }, 3000);
    std::printf("SerialPort: the device back %s %.0f ms after it was named again\n",
                back ? "opened" : "NOT opened", clock.nsecsElapsed() / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("What a hang-up of the device costs.");
    parser.addHelpOption();
    parser.addOption({"seconds", "How long to watch after each hang-up.", "s", "5"});
    parser.process(app);
    const int seconds = qMax(1, parser.value("seconds").toInt());

    std::printf("Telvaronix hang-up benchmark, Qt %s (Qt SerialPort as built against)\n",
                qVersion());
    bareQSerialPort(seconds);
    telvaronixSerialPort(seconds);
    return 0;
}
