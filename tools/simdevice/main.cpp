// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// telvaronix-simdevice: a device on a pseudo-terminal, linked as one of Telvaronix's ports.

#include "pseudoterminal.h"
#include "simulateddevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void forwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// Ends the event loop on SIGINT, SIGTERM or SIGHUP, so that the port link is removed.
void quitOnSignals(QCoreApplication &app)
{
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe);
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, forwardSignal);
}

int intOption(const QCommandLineParser &parser, const QString &name, int lowest)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < lowest) {
        std::fprintf(stderr, "--%s: expected a whole number of at least %d\n", qPrintable(name),
                     lowest);
        std::exit(2);
    }
    return value;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("telvaronix-simdevice"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Telvaronix device. It opens a pseudo-terminal, links it as port N in\n"
        "the configuration folder (<dir>/Telvaronix/ports/comN), answers each six-character\n"
        "command with a 20-character reply, and removes the link when it ends."));
    parser.addHelpOption();
    const QString defaultConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    parser.addOptions({
        {"port", "Link the device as port <n> (default 1).", "n", "1"},
        {"by-id",
         "Instead of linking a port, name the device /dev/serial/by-id/<name> as udev names a USB\n"
         "adapter, for Telvaronix to give it a port number (needs root).",
         "name"},
        {"config-dir",
         "Configuration folder holding Telvaronix/ports (default: " + defaultConfig + ").", "dir",
         defaultConfig},
        {"delay", "Wait <ms> milliseconds before each reply.", "ms", "0"},
        {"reply-length", "Cut or pad replies to <n> characters (19 short, 35 long).", "n", "20"},
        {"silent", "Never answer."},
        {"silent-first", "Leave the first <n> commands unanswered.", "n", "0"},
        {"markup", "Answer with markup: <b>hola</b><i>x</i>."},
        {"binary", "Answer with arbitrary bytes, every value from 0 to 255 in turn."},
        {"unsolicited", "Send a '~' every <ms> milliseconds, asked or not.", "ms", "0"},
        {"flood", "Send <bytes> more bytes after each reply.", "bytes", "0"},
        {"hang-up-after", "Hang up the line after <n> commands, and end.", "n", "0"},
        {"log", "Log what is received and sent to <file> (default: standard error).", "file"},
        {"quiet", "Log nothing."},
    });
    parser.process(app);

    SimulatedDevice::Behaviour behaviour;
    behaviour.delayMs = intOption(parser, "delay", 0);
    behaviour.replyLength = parser.isSet("silent") ? 0 : intOption(parser, "reply-length", 0);
    if (parser.isSet("markup"))
        behaviour.kind = SimulatedDevice::ReplyKind::Markup;
    if (parser.isSet("binary"))
        behaviour.kind = SimulatedDevice::ReplyKind::Binary;
    behaviour.unsolicitedEveryMs = intOption(parser, "unsolicited", 0);
    behaviour.floodBytes = intOption(parser, "flood", 0);
    behaviour.hangUpAfter = intOption(parser, "hang-up-after", 0);
    behaviour.silentFirst = intOption(parser, "silent-first", 0);
    const int port = intOption(parser, "port", 1);

    QFile log;
    if (parser.isSet("log")) {
        log.setFileName(parser.value("log"));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "cannot open the log %s\n", qPrintable(log.fileName()));
            return 2;
        }
    } else if (!parser.isSet("quiet") && !log.open(stderr, QIODevice::WriteOnly)) {
        return 2; // no standard error to write to
    }

    try {
        PseudoTerminal line;
        if (parser.isSet("by-id"))
            line.nameAsAdapter(parser.value("by-id"));
        else
            line.linkAsPort(parser.value("config-dir"), port);
        SimulatedDevice device(&line, behaviour, log.isOpen() ? &log : nullptr);
        QObject::connect(&device, &SimulatedDevice::hungUp, &app, &QCoreApplication::quit);
        quitOnSignals(app);
        // One line on standard output says where the device is, for scripts that wait for it.
        const QString name =
            parser.isSet("by-id") ? line.adapterPath() : QStringLiteral("com%1").arg(port);
        std::printf("%s -> %s\n", qPrintable(name), qPrintable(line.devicePath()));
        std::fflush(stdout);
        return QCoreApplication::exec();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "telvaronix-simdevice: %s\n", error.what());
        return 1;
    }
}
