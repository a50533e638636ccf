// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Windows gives each adapter its COM number itself, and keeps it across plugs.

#include "adapternumbering.h"

namespace DeviceLink {

void numberNewSerialDevices(int) { }

} // namespace DeviceLink
