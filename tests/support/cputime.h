// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QEventLoop>
#include <QTimer>

#include <ctime>
#include <utility>

// The CPU seconds this process spends, in all its threads, while `work` runs: a loop that spins
// instead of sleeping shows as nearly all the time it took.
template<typename Work>
double cpuSecondsOf(Work &&work)
{
    const std::clock_t before = std::clock();
    std::forward<Work>(work)();
    return double(std::clock() - before) / CLOCKS_PER_SEC;
}

// The CPU seconds this process spends while its event loop runs idle for `ms` milliseconds.
// QTest::qWait would not do: it wakes every 10 ms, which costs more than the program's own
// looking does, several times more under emulation.
inline double cpuSecondsWhileIdleFor(int ms)
{
    return cpuSecondsOf([ms] {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    });
}
