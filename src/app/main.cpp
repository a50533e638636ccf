// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include <main_window/Telvaronix>

#include "closeonsignals.h"
#include "device_link/serialport.h"
#include "main_window/recordfile.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {
constexpr char HelpText[] = "Usage: telvaronix [options]\n"
                            "Sends commands to a device on a serial port and shows its replies.\n"
                            "\n"
                            "Options:\n"
                            "  --log FILE     Appends a line per exchange to FILE, as CSV.\n"
                            "  -h, --help     Displays this help.\n"
                            "  -v, --version  Displays version information.\n"
                            "\n"
                            "Qt's own options, such as -platform and -style, are understood too.\n";

// --help and --version answer on standard output before any window, setting or port, and
// without a display to connect to; every other argument is left to QApplication.
std::optional<int> answerInformationOptions(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help")
            return std::fputs(HelpText, stdout) >= 0 ? 0 : 1;
        if (argument == "-v" || argument == "--version")
            return std::printf("telvaronix %s\n", TELVARONIX_VERSION) > 0 ? 0 : 1;
    }
    return std::nullopt;
}

// The file that --log FILE or --log=FILE names, taken out of the arguments, which are left to
// QApplication; opened before any window or port. A status to exit with when it is missing or
// cannot be a record.
std::optional<int> openRecord(int &argc, char *argv[], std::optional<RecordFile> &record)
{
    std::optional<QString> path;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--log" && i + 1 < argc)
            path = QFile::decodeName(argv[++i]);
        else if (argument.substr(0, 6) == "--log=")
            path = QFile::decodeName(argv[i] + 6);
        else if (argument == "--log")
            path = QString();
        else
            argv[kept++] = argv[i];
    }
    argv[argc = kept] = nullptr;
    if (!path)
        return std::nullopt;
    QString why;
    if (path->isEmpty())
        std::fputs("telvaronix: --log needs the name of a file\n", stderr);
    else if (!(record = RecordFile::open(*path, &why)))
        std::fprintf(stderr, "telvaronix: --log %s: %s\n", qPrintable(*path), qPrintable(why));
    return record ? std::nullopt : std::optional<int>(2);
}

// Shows the window and runs it until it closes, unless a stop signal came while it was being
// made (its port then stays closed) or while its start-up warning was open.
int runWindow(std::optional<RecordFile> record)
{
    Telvaronix window;
    if (DeviceLink::SerialPort::programStopRequested())
        return 0;
    if (record)
        window.keepRecord(std::move(*record));
    window.show();
    return QApplication::exec();
}

// How the program ends once its window is gone with its port; nothing is saved at the end.
// Qt's Wayland platform can hang for good while it tears its connection down: its event thread
// may end with a read that the main thread prepared last still pending, and the other reader
// then waits for it. There the process ends without that teardown; the compositor cleans up
// after it.
int endProgram(int status)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
} // namespace

int main(int argc, char *argv[])
{
    if (const auto status = answerInformationOptions(argc, argv))
        return *status;
    std::optional<RecordFile> record;
    if (const auto status = openRecord(argc, argv, record))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Telvaronix"));
    QApplication::setApplicationVersion(QStringLiteral(TELVARONIX_VERSION));
    // Lets the desktop match the window to its launcher entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.telvaronix.telvaronix"));
    const CloseOnSignals closeOnSignals;
    return endProgram(runWindow(std::move(record)));
}
