// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

namespace DeviceLink {

// The per-user port links, which Unix has and Windows does not (see portdevice.h); their
// bodies are in portdevice_unix.cpp.

// The folder that holds the per-user port links.
QString portLinkFolder();

// The per-user link for port `port`, and whether it is there (pointing anywhere or nowhere).
QString portLinkPath(int port);
bool hasPortLink(int port);

} // namespace DeviceLink
