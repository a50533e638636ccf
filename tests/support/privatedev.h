// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Whether the test runs with a /dev and a /run/lock of its own (private-dev.sh, as root), where
// it may name devices as udev does, put links in /dev and change the lock folder. Tests that
// need that skip without it, rather than touch the machine's own.
inline bool hasPrivateDev()
{
    return qEnvironmentVariable("TELVARONIX_PRIVATE_DEV") == QLatin1String("1");
}

#define SKIP_WITHOUT_PRIVATE_DEV()                                                                 \
    do {                                                                                           \
        if (!hasPrivateDev())                                                                      \
            QSKIP("needs a /dev of the test's own, which takes root");                             \
    } while (false)
