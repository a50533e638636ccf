#pragma once

#include <QString>

// Which device a port number opens.
//
// Port n opens the device that the per-user link <config folder>/Telvaronix/ports/com<n>
// points to, when that link exists; otherwise the system's n-th serial port (/dev/ttyS<n-1>
// on Linux, COM<n> on Windows). The link lets a person give a USB adapter a port number,
// and lets tests use a pseudo-terminal.

// The folder that holds the per-user port links.
QString portLinkFolder();

// The device path to open for port `port`, links resolved to the real device so that lock
// files name the device itself. A link that points nowhere gives its own path, which then
// fails to open.
QString devicePathForPort(int port);
