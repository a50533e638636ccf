#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test. Arguments go to ctest
# (for instance: -L gui for the whole-program tests alone).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test
tools/build.sh
ctest --test-dir build --output-on-failure "$@"
