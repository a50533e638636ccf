// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace DeviceLink {

// Port numbers for serial adapters, given as the system gives its own serial ports theirs.
//
// A serial adapter that udev names in /dev/serial/by-id, and that no port's link leads to yet,
// gets the lowest port number whose port has no link and no UART of the system's own at
// /dev/ttyS<n-1>. The number is recorded as that port's link, pointing at the adapter's by-id
// name, so the adapter keeps it when it is unplugged and plugged back into any socket, and a
// number whose adapter is away is given to no other. A person can see, change or delete the
// links. Nothing here opens a device: opening one asserts DTR, which resets many boards.

// What the numbering rule looks at.
struct NumberingFacts
{
    struct Port
    {
        bool linked = false;
        // The device number (st_rdev) that the port's link leads to, if it leads to a device.
        std::optional<quint64> leadsTo;
        bool systemPortExists = false;
    };
    struct Adapter
    {
        QString byIdPath;
        quint64 device = 0;
    };

    // Port n at index n - 1.
    QList<Port> ports;
    // In the order in which they are given numbers.
    QList<Adapter> adapters;
};

struct AdapterNumber
{
    int port = 0;
    QString byIdPath;
};

// The numbers the rule gives to the adapters that have none; an adapter that finds no free
// number gets none.
QList<AdapterNumber> numbersForNewAdapters(const NumberingFacts &facts);

// The facts for ports 1 to `portCount`, read from the ports' links, /dev/serial/by-id and
// sysfs. Without /dev/serial/by-id (no udev) there are no adapters, and then the ports are
// not looked at.
NumberingFacts readNumberingFacts(int portCount);

// Gives serial adapters plugged in since the last call port numbers among 1 to `portCount`,
// from the facts the system shows now. Windows numbers COM ports itself: there this does nothing
// (adapternumbering_win.cpp).
void numberAdaptersPluggedIn(int portCount);

// Gives every new adapter its number by making the port's link, and returns what it gave. The
// facts come from `readFacts` (readNumberingFacts but in tests), read again when a link turns
// out to be there already: another instance numbering at the same moment has changed them.
QList<AdapterNumber> numberNewAdapters(int portCount,
                                       const std::function<NumberingFacts(int)> &readFacts);

} // namespace DeviceLink
