#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building and running Telvaronix need, with --headless also
# those that run and look at it on an X server of its own (tools/demo.sh --check), with --test
# those its tests need, with --windows those that build, test and package the Windows version,
# with --emulator the user-mode emulator that runs arm64 programs, and with --arm64 those that
# build it for arm64 and run it (the arm64 architecture is added to dpkg's first). Only missing
# packages are installed. With --list it only prints the package names.
set -euo pipefail

build_packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-base-private-dev qt6-serialport-dev
    fonts-dejavu-core scdoc
)
headless_packages=(xvfb xdotool imagemagick)
test_packages=(
    "${headless_packages[@]}" xauth x11-utils openbox wmctrl tesseract-ocr python3 python3-xlib
    dpkg-dev desktop-file-utils appstream
    clang libclang-rt-dev
    minicom
    python3-pyatspi at-spi2-core dbus-daemon
    fonts-cantarell fonts-noto-core qt6-gtk-platformtheme
    lintian man-db reuse
)
emulator_packages=(qemu-user-binfmt)
arm64_packages=(
    crossbuild-essential-arm64 qt6-base-dev-tools
    qt6-base-dev:arm64 qt6-base-private-dev:arm64 qt6-serialport-dev:arm64
    qt6-gtk-platformtheme:arm64
)
windows_packages=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools wine64 wine fonts-wine nsis
)

packages=("${build_packages[@]}")
list_only=false
for argument in "$@"; do
    case "$argument" in
        --headless) packages+=("${headless_packages[@]}") ;;
        --test) packages+=("${test_packages[@]}") ;;
        --windows) packages+=("${windows_packages[@]}") ;;
        --emulator) packages+=("${emulator_packages[@]}") ;;
        --arm64) packages+=("${arm64_packages[@]}") ;;
        --list) list_only=true ;;
        *) echo "usage: $0 [--headless] [--test] [--windows] [--emulator] [--arm64] [--list]" >&2; exit 2 ;;
    esac
done

if $list_only; then
    echo "${packages[@]}"
    exit 0
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
((${#missing[@]})) || exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo=sudo
if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    $sudo dpkg --add-architecture arm64
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
