// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace DeviceLink {

// What the system tells of a serial device without opening it.

// A program that holds a device.
struct DeviceHolder
{
    // 0 when the system does not say which process holds the lock.
    qint64 pid = 0;
    // The holder's program name as the system knows it (such as "minicom"); may be empty.
    QString program;
    // The kernel itself, which writes its console there.
    bool console = false;
};

// What a USB adapter reports of itself; any of it may be empty.
struct AdapterDescription
{
    QString product;
    QString maker;
    QString serialNumber;
};

} // namespace DeviceLink
