// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "programstop.h"

#include <atomic>

namespace {
// Lock-free, so that a signal handler may set it whatever the thread it interrupted was doing.
std::atomic<bool> stopRequested {false};
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

void requestProgramStop() noexcept
{
    stopRequested.store(true, std::memory_order_relaxed);
}

bool programStopRequested() noexcept
{
    return stopRequested.load(std::memory_order_relaxed);
}
