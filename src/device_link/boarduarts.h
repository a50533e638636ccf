// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>

namespace DeviceLink {

// The serial ports of the machine's own board, as sysfs shows them (below the root that
// devicenames.h sets); nothing here opens a device.
//
// Boards name their UARTs after the driver: /dev/ttyAMA0 for a Raspberry Pi's PL011, /dev/ttymxc0
// on i.MX, /dev/ttyTHS0 on Jetson, /dev/ttyS<n> on many others, where PCs have theirs too. The
// kernel shows each with the hardware device behind it and that device's driver. It also makes
// /dev/ttyS0 to ttyS3 with nothing behind them, which its serial driver calls of type 0.

// A UART of the board.
struct BoardUart
{
    // The kernel's name, which is also its node's in /dev: "ttyAMA0".
    QString name;
    // The driver that runs it: "uart-pl011", "serial8250".
    QString driver;
    // Its device number, as st_rdev gives it.
    quint64 device = 0;
};

// The board's UARTs that no port opens by itself: real hardware, not on USB (adapters are
// numbered by their names in /dev/serial/by-id), and none of /dev/ttyS0 to ttyS7, which ports 1
// to 8 open. In a stable order: by driver, then by number.
QList<BoardUart> unnumberedBoardUarts();

// Whether the board has a UART at /dev/<name> (such as "ttyS0"): real hardware, not a placeholder.
bool hasBoardUart(const QString &name);

// The driver of the board UART that the node at `devicePath` is, or an empty string for any other
// device (an adapter, a pseudo-terminal).
QString boardUartDriver(const QString &devicePath);

} // namespace DeviceLink
