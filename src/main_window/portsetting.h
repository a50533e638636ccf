// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Where the chosen port is remembered: one decimal text in the per-user settings store.
namespace PortSetting {
inline const QString Application = QStringLiteral("Telvaronix");
inline const QString Section = QStringLiteral("ajustes");
inline const QString Key = QStringLiteral("puerto");
inline const QString Default = QStringLiteral("1");
// Entry i of the port list stands for port i + 1.
constexpr int PortCount = 8;
} // namespace PortSetting
