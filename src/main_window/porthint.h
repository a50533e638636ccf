// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

struct PortStatus;

// The port list's hint for one entry: which device the port opens and, when something stands
// in the way, why it cannot be opened. For instance "C3: /dev/ttyUSB0",
// "C6: /dev/ttyS5 — no existe", "C2: /dev/ttyUSB0 — en uso (PID 1234, minicom)".
QString portHint(int port, const PortStatus &status);
