#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Builds the Windows version with MinGW-w64 in build-windows ($TELVARONIX_BUILD-windows if set),
# runs its tests under Wine, and makes its ZIP archive and installer there. Arguments go to
# ctest.
#
# It needs Qt for Windows built with MinGW-w64, of the version of this system's own moc, uic and
# rcc, which the build runs: Qt 6.8.2 on Debian 13 (tools/on-debian.sh trixie tools/windows.sh).
# Give it unpacked, TELVARONIX_QT_MINGW=<its folder>, or as the archive that unpacks to
# qt6-mingw, TELVARONIX_QT_MINGW_ARCHIVE=<file>.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test --windows

build=${TELVARONIX_BUILD:-build}-windows
qt=${TELVARONIX_QT_MINGW:-}
if [[ -z $qt ]]; then
    archive=${TELVARONIX_QT_MINGW_ARCHIVE:?set TELVARONIX_QT_MINGW or TELVARONIX_QT_MINGW_ARCHIVE}
    qt=$PWD/$build/qt6-mingw
    if [[ ! -d $qt || $archive -nt $qt ]]; then
        rm -rf "$qt"
        mkdir -p "$build"
        tar xzf "$archive" -C "$build"
        touch "$qt"
    fi
fi

# Code that moc of one Qt made does not build against another.
windows_qt=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' \
                 "$qt/lib/cmake/Qt6Core/Qt6CoreConfigVersionImpl.cmake" 2>/dev/null || true)
host_qt=$(/usr/lib/qt6/libexec/moc -v | awk '{print $2}')
if [[ $windows_qt != "$host_qt" ]]; then
    echo "Qt for Windows is ${windows_qt:-of no version found}, this system's moc is $host_qt: use a" \
         "Qt for Windows of the same version (see the README)." >&2
    exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-toolchain.cmake \
    -DQT_MINGW_PREFIX="$qt" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure "$@"
(cd "$build" && cpack -G ZIP && cpack -G NSIS)
