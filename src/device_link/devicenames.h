// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "devicefacts.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace DeviceLink {

// The names a serial device goes by, and what a USB adapter reports of itself.
//
// Beside its kernel node (/dev/ttyUSB0), udev names each serial adapter after itself in
// /dev/serial/by-id (maker, product, serial number) and after the socket it is plugged into in
// /dev/serial/by-path; a rule of the machine's own may add a name directly in /dev
// (/dev/arduino, a Raspberry Pi's /dev/serial0). Another program may have opened the device
// under any of these names. Everything here comes from /dev, /proc and sysfs; nothing opens a
// device.

// Where udev names serial adapters after themselves.
inline const QString SerialByIdFolder = QStringLiteral("/dev/serial/by-id");
inline const QString SerialByPathFolder = QStringLiteral("/dev/serial/by-path");

// Reads sysfs below `root` from now on: "" (the system's own) but in tests, which give a tree of
// their own.
void readSysfsBelow(const QString &root);

// The path of `path` (such as "/sys/class/tty") below the root that sysfs is read below.
QString sysfsPath(const QString &path);

// Every entry of `folder` (links and devices included), as paths, in the order of their names.
QStringList namesIn(const QString &folder);

// The device number (st_rdev) of the character device at `path`, links followed; nothing
// when there is no character device there.
std::optional<quint64> charDeviceNumber(const QString &path);

// Whether the character device with number `device` is a terminal, serial or pseudo, by the
// kernel's list of terminal drivers; true when that list cannot be read.
bool isTerminal(quint64 device);

// Every path under which the device at `devicePath` can be opened: the path itself, then each
// name in /dev/serial/by-id and /dev/serial/by-path, and each symbolic link directly in /dev,
// that leads to the same device.
QStringList deviceAliases(const QString &devicePath);

// The symbolic links directly in /dev that lead to the device at `devicePath`, such as
// /dev/serial0, in the order of their names.
QStringList linksInDevTo(const QString &devicePath);

// The device's name in /dev/serial/by-id, or an empty string when it has none.
QString byIdPath(const QString &devicePath);

// What the USB device that the serial device at `devicePath` belongs to reports of itself, or
// nothing for a device that is not on USB (a UART, a pseudo-terminal).
std::optional<AdapterDescription> describeAdapter(const QString &devicePath);

} // namespace DeviceLink
