// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "devicefacts.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace DeviceLink {

// Whether another program holds a serial device, found out without opening it.
//
// Serial programs mark a device they use in one of two ways: a UUCP lock file LCK..<name>
// holding the owner's process id (minicom, cu, lockdev, and QSerialPort in its own format),
// named after whichever of the device's names the owner opened, in /run/lock or another of
// the folders QSerialPort knows; or a lock on the device itself, which the kernel lists in
// /proc/locks: an exclusive flock (picocom, GTKTerm, this program) or a whole-file write lock
// (lockf, fcntl). A lock file counts while the process it names is alive, or, naming none,
// for 30 s after it was written, as QSerialPort holds it; neither kind counts when it is this
// process's own. Anything else in a lock file's place (a pipe, a link, a file larger than any
// lock) counts as held by a program that cannot be told.

// The live process, other than this one, whose lock file names the device at `devicePath` under
// any of its names (an unusable lock file gives a holder that cannot be told), or nothing.
std::optional<DeviceHolder> holderByLockFile(const QString &devicePath);

// The process, other than this one, that holds a lock on the device itself, or nothing.
std::optional<DeviceHolder> holderByDeviceLock(const QString &devicePath);

// The kernel itself, when it writes its console to the terminal at `devicePath` (links resolved),
// as a board's image often has it do on its UART; nothing otherwise. Told by sysfs.
std::optional<DeviceHolder> holderByConsole(const QString &devicePath);

// A process, other than this one, whose controlling terminal the device is, such as the login
// prompt (getty) on a serial console, which takes no lock; nothing when there is none. Told by
// /proc/<pid>/stat, which every user may read.
std::optional<DeviceHolder> holderByControllingTerminal(const QString &devicePath);

// The process id that a UUCP lock file's content names: ASCII digits (possibly padded, and
// followed by more lines, as QLockFile writes them) or a binary integer as old tools write
// it. 0 when the content names none.
qint64 pidInLockFile(const QByteArray &content);

} // namespace DeviceLink
