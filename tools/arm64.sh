#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Builds Telvaronix for arm64, as a Raspberry Pi's Debian runs it, in build-arm64
# ($TELVARONIX_BUILD-arm64 if set), with Debian's cross compiler and Qt's arm64 packages; runs
# the whole test suite on the arm64 programs under user-mode emulation (qemu-user, through
# binfmt_misc); and makes the arm64 Debian package there and has lintian check it. Arguments go
# to ctest. It runs in the Debian it is started in: CI runs it in a Debian 13 that
# tools/on-debian.sh makes. Needs root to register the emulator with the kernel.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test --emulator

# The kernel hands arm64 programs to qemu-aarch64, which it loads at registration ("F"), so that
# it works in any root. Registered before the arm64 packages come, whose set-up runs some.
binfmt=/proc/sys/fs/binfmt_misc
[[ -e $binfmt/register ]] || mount -t binfmt_misc binfmt_misc "$binfmt"
[[ -e $binfmt/qemu-aarch64 ]] || cat /usr/lib/binfmt.d/qemu-aarch64.conf >"$binfmt/register"
tools/install-deps.sh --test --arm64

build=${TELVARONIX_BUILD:-build}-arm64
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
    -DCMAKE_TOOLCHAIN_FILE=tools/arm64/aarch64-toolchain.cmake
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure "$@"
(cd "$build" && cpack -G DEB)
lintian --pedantic --display-info "$build"/telvaronix_*_arm64.deb
