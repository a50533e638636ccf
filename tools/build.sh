#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Configures and builds Telvaronix and its simulated device in ./build (or in the folder that
# TELVARONIX_BUILD names). The tests and benchmarks are left out, so that only what building
# the program needs must be installed; -DBUILD_TESTING=ON (what tools/test.sh gives) brings
# them in, and then every tool they need is required. Arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TELVARONIX_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF "$@"
cmake --build "$build"
