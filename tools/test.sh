#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test. Arguments go to ctest
# (for instance: -L gui for the whole-program tests alone). Given a Qt for Windows (see
# tools/windows.sh), it then builds the Windows version and runs its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test
tools/build.sh -DBUILD_TESTING=ON
ctest --test-dir "${TELVARONIX_BUILD:-build}" --output-on-failure "$@"
if [[ -n ${TELVARONIX_QT_MINGW:-}${TELVARONIX_QT_MINGW_ARCHIVE:-} ]]; then
    tools/windows.sh "$@"
else
    echo "*** The Windows version was not built: no Qt for Windows given (see tools/windows.sh)."
fi
