// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

// That the program is on its way out, as a stop signal tells it. From then on no port is
// opened: opening one asserts DTR, which resets many boards, and a program that is ending has
// no business with the device. The request cannot be taken back.

// Safe to call from a signal handler.
void requestProgramStop() noexcept;

bool programStopRequested() noexcept;
