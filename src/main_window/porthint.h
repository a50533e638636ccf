// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace DeviceLink {
struct PortStatus;
}

// The port list's hint for one entry: which device the port opens, what an adapter says it
// is, and, when something stands in the way, why it cannot be opened. For instance
// "C3: /dev/ttyUSB0 (FT232R USB UART, FTDI)", "C6: /dev/ttyS5 — no existe",
// "C2: /dev/ttyUSB0 — en uso (PID 1234, minicom)",
// "C4: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 — no conectado".
QString portHint(int port, const DeviceLink::PortStatus &status);

// The same without the port's name in front, for a screen reader, which reads the entry itself
// just before: "/dev/ttyS5 — no existe".
QString deviceHint(const DeviceLink::PortStatus &status);
