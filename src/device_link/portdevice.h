// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include "devicefacts.h"

#include <QString>
#include <QStringList>

#include <optional>

class QSerialPort;

namespace DeviceLink {

// Which device a port number opens, and what stands in the way of opening it.
//
// On Linux port n opens the device that the per-user link <config folder>/Telvaronix/ports/com<n>
// points to, when that link exists; otherwise the system's n-th serial port, /dev/ttyS<n-1>.
// The link lets a person or the numbering of adapters give a USB adapter a port number, and
// lets tests use a pseudo-terminal. On Windows port n opens COM<n>, the system's own number.
//
// Each function here has its body twice, in portdevice_unix.cpp and portdevice_win.cpp, one for
// each system; the per-user links are Unix's alone (portdevice_unix.h).

// The system's own serial port n: /dev/ttyS<n-1> on Linux, COM<n> on Windows.
QString systemPortPath(int port);

// Whether a device stands at `devicePath`. The kernel makes /dev/ttyS0 to ttyS3 whether or not
// a UART is behind them; those without one count as missing. On Windows: whether the system
// lists the COM port.
bool deviceExists(const QString &devicePath);

// What tells one device from another that the system may give the same node or name later:
// an adapter's USB serial number where it has one, or else udev's name for it; any other
// device only by its node itself (its number, inode and change time), which a node made anew
// at the same path, for a new pseudo-terminal say, does not share. Empty where no device is.
// On Windows an adapter's USB serial number, and empty for other COM ports.
QString deviceIdentity(const QString &devicePath);

// The device path to open for port `port`, links resolved to the real device so that lock
// files name the device itself. A link that points nowhere gives its own path, which then
// fails to open.
QString devicePathForPort(int port);

// What a port number leads to, found out without opening the device: opening one asserts
// DTR and RTS, which resets many boards.
struct PortStatus
{
    enum class State {
        Usable, // as far as can be told without opening it
        Missing,
        // The port's link names an adapter in /dev/serial that is not plugged in.
        Unplugged,
        // Anything but a terminal: a plain file, /dev/null.
        NotADevice,
        NoPermission,
        InUse,
    };

    QString devicePath;
    State state = State::Missing;
    // NoPermission: the device's group, when membership would give access to it.
    QString group;
    // InUse: the process that holds it.
    std::optional<DeviceHolder> holder;
    // What the device reports of itself when it is a USB adapter.
    std::optional<AdapterDescription> adapter;
    // The driver of a UART of the board's own, such as "uart-pl011"; empty for other devices.
    QString uartDriver;
    // The device's other names directly in /dev, such as /dev/serial0 for a Raspberry Pi's UART.
    QStringList links;
};

PortStatus portStatus(int port);

// The process, other than this one, that holds the device at `devicePath` (a real path, links
// resolved), or nothing when none does; told without opening it, by lock files and /proc/locks
// (devicelocks.h). Windows tells only a program that opens the port, and then refuses it.
std::optional<DeviceHolder> holderOfDevice(const QString &devicePath);

// Takes the lock that terminal programs such as picocom check before they open a device, on
// the device that `port` has just opened; false when another program holds it. QSerialPort's own
// lock file only keeps out other Qt programs, and the kernel's exclusive mode does not stop
// root. Windows opens a COM port for one program only: there is nothing more to take.
bool lockOpenedDevice(const QSerialPort &port);

} // namespace DeviceLink
