// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>

#include <algorithm>
#include <cstdio>

// Prints one figure as min / median / p99 / max over its samples, with their count.
inline void printFigure(const char *name, QList<double> samples, const char *unit)
{
    if (samples.isEmpty()) {
        std::printf("%-34s no samples\n", name);
        return;
    }
    std::sort(samples.begin(), samples.end());
    auto at = [&](double quantile) {
        return samples[std::min<qsizetype>(samples.size() - 1,
                                           qsizetype(quantile * double(samples.size())))];
    };
    std::printf("%-34s min %9.3f  median %9.3f  p99 %9.3f  max %9.3f %s  (n=%lld)\n", name,
                samples.first(), at(0.5), at(0.99), samples.last(), unit,
                static_cast<long long>(samples.size()));
    std::fflush(stdout);
}
