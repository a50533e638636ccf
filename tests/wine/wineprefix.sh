#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# The tests' own Wine prefix (WINEPREFIX). "setup" makes it the first time, and leads COM1 to
# COM8 nowhere, so that no test opens a serial port of this machine by chance, and builds the
# library through which Wine reads a pseudo-terminal's modem lines (modemlines.c); "cleanup"
# ends its Wine server and the programs Wine keeps running.
set -e
: "${WINEPREFIX:?the tests set WINEPREFIX}"
export WINEDEBUG=-all
case "$1" in
setup)
    cc -shared -fPIC -O2 -o "$(dirname "$WINEPREFIX")/modemlines.so" \
        "$(dirname "$0")/modemlines.c" -ldl
    # No offer to install .NET or a web engine, which no test needs.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init
    for port in 1 2 3 4 5 6 7 8; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "" /f >/dev/null
    done
    # The mount manager reads the port mapping when Wine starts.
    wineserver --kill
    ;;
cleanup)
    wineserver --kill || true
    ;;
*)
    echo "usage: $0 setup|cleanup" >&2
    exit 2
    ;;
esac
