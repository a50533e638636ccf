#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Builds the fuzz target with clang and libFuzzer (ASan and UBSan on) in ./build-fuzz and runs
# it. With no argument: the short, fixed run that CI makes. With a number: that many inputs,
# keeping what it learns in build-fuzz/tests/fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTELVARONIX_FUZZ=ON
cmake --build build-fuzz --target fuzz_portnumbertext
if [[ $# -eq 0 ]]; then
    ctest --test-dir build-fuzz -L fuzz --output-on-failure
else
    build-fuzz/tests/fuzz/fuzz_portnumbertext -runs="$1" -max_len=128 -print_final_stats=1 \
        build-fuzz/tests/fuzz/corpus tests/fuzz/corpus
fi
