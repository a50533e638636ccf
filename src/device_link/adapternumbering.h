// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace DeviceLink {

// Port numbers for serial adapters and a board's own UARTs, given as the system gives its own
// serial ports theirs.
//
// A serial adapter that udev names in /dev/serial/by-id, or a UART of the board that no port
// opens by itself (a Raspberry Pi's /dev/ttyAMA0, see boarduarts.h), that no port's link leads to
// yet, gets the lowest port number whose port has no link and no UART of the system's own at
// /dev/ttyS<n-1>: the board's UARTs first, then the adapters. The number is recorded as that
// port's link, pointing at the adapter's by-id name or at the UART's node, so the adapter keeps it
// when it is unplugged and plugged back into any socket, the UART across reboots, and a number
// whose adapter is away is given to no other. A person can see, change or delete the links.
// Nothing here opens a device: opening one asserts DTR, which resets many boards.

// What the numbering rule looks at.
struct NumberingFacts
{
    struct Port
    {
        bool linked = false;
        // Where the port's link points, and the device number (st_rdev) it leads to, if any.
        QString linkTarget;
        std::optional<quint64> leadsTo;
        bool systemPortExists = false;
    };
    // A device that gets a number of its own.
    struct Device
    {
        // What the port's link points to: the adapter's by-id name, or the UART's node.
        QString path;
        quint64 device = 0;
    };

    // Port n at index n - 1.
    QList<Port> ports;
    // In the order in which they are given numbers.
    QList<Device> devices;
};

struct DeviceNumber
{
    int port = 0;
    QString path;
};

// The numbers the rule gives to the devices that have none; a device that finds no free number
// gets none.
QList<DeviceNumber> numbersForNewDevices(const NumberingFacts &facts);

// The facts for ports 1 to `portCount`, read from the ports' links, /dev/serial/by-id and sysfs
// (boarduarts.h tells which). Without adapters or UARTs to number, most machines' case, the ports
// are not looked at.
NumberingFacts readNumberingFacts(int portCount);

// Gives the serial devices that have come since the last call port numbers among 1 to
// `portCount`, from the facts the system shows now. Windows numbers COM ports itself: there this
// does nothing (adapternumbering_win.cpp).
void numberNewSerialDevices(int portCount);

// Gives every new device its number by making the port's link, and returns what it gave. The
// facts come from `readFacts` (readNumberingFacts but in tests), read again when a link turns
// out to be there already: another instance numbering at the same moment has changed them.
QList<DeviceNumber> numberNewDevices(int portCount,
                                     const std::function<NumberingFacts(int)> &readFacts);

} // namespace DeviceLink
