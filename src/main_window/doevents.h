// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QCoreApplication>
#include <QEventLoop>

// Processes the user-interface events that are pending, running their handlers (which may
// nest inside the caller), and returns. With QEventLoop::WaitForMoreEvents it first sleeps
// until at least one event arrives, which is how a wait costs no CPU.
inline void DoEvents(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents)
{
    QCoreApplication::processEvents(flags);
}
