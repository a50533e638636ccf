#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Configures and builds Telvaronix, its tools and its tests in ./build (or in the folder that
# TELVARONIX_BUILD names).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TELVARONIX_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build"
