#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Builds the Windows version in ./build-windows with MinGW-w64, runs its tests under Wine, and
# makes its ZIP archive and installer there. Arguments go to ctest.
#
# It needs Qt 6.4.2 for Windows built with MinGW-w64 (the version of Debian's own moc, uic and
# rcc, which the build uses): either unpacked, TELVARONIX_QT_MINGW=<its folder>, or as the
# archive that unpacks to qt6-mingw, TELVARONIX_QT_MINGW_ARCHIVE=<file>.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test --windows

qt=${TELVARONIX_QT_MINGW:-}
if [[ -z $qt ]]; then
    archive=${TELVARONIX_QT_MINGW_ARCHIVE:?set TELVARONIX_QT_MINGW or TELVARONIX_QT_MINGW_ARCHIVE}
    qt=$PWD/build-windows/qt6-mingw
    if [[ ! -d $qt || $archive -nt $qt ]]; then
        rm -rf "$qt"
        mkdir -p build-windows
        tar xzf "$archive" -C build-windows
        touch "$qt"
    fi
fi

cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-toolchain.cmake \
    -DQT_MINGW_PREFIX="$qt" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build build-windows
ctest --test-dir build-windows --output-on-failure "$@"
(cd build-windows && cpack -G ZIP && cpack -G NSIS)
