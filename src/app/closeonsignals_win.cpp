// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "closeonsignals.h"

// Windows ends a session with messages of its own, which Qt turns into closing the windows:
// there is no signal to take in, and the bridge does nothing.

CloseOnSignals::CloseOnSignals(QObject *parent) : QObject(parent) { }

CloseOnSignals::~CloseOnSignals() = default;

void CloseOnSignals::closeEverything() { }
