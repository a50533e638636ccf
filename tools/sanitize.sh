#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Builds everything with AddressSanitizer (leak checker included) and UBSan in ./build-asan
# and runs the whole test suite there; any finding fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTELVARONIX_SANITIZE=ON
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -LE 'package|source' "$@"
