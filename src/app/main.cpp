// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "closeonsignals.h"

#include <main_window/Telvaronix>

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Telvaronix"));
    QApplication::setApplicationVersion(QStringLiteral(TELVARONIX_VERSION));
    // Lets the desktop match the window to its launcher entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.telvaronix.telvaronix"));
    const CloseOnSignals closeOnSignals;

    Telvaronix window;
    // Stopped while the start-up warning was open: the window is never shown.
    if (closeOnSignals.received())
        return 0;
    window.show();
    return QApplication::exec();
}
