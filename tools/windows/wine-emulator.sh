#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR). Wine drops every
# QT_* variable of the Unix environment, so those are handed over through cmd's "set".
#
# Without a display, the program gets an Xvfb of its own for as long as it runs, since Qt's
# Windows platform draws through Wine's X11 driver. Its screen is larger than the window grows
# to with any desktop font (xvfb-run's own, 640 by 480, is smaller than some). Wine's server
# then starts on that display and ends with the program: a server left running would keep its
# desktop on a display that is gone, and every later window would fail to open.
if [ -z "$DISPLAY" ] && [ -z "$TELVARONIX_WINE_XVFB" ] && command -v xvfb-run >/dev/null; then
    TELVARONIX_WINE_XVFB=1 exec xvfb-run -a -s "-nolisten tcp -screen 0 1920x1200x24" "$0" "$@"
fi
# Each value quoted as cmd reads set's quotes, so that blanks, & and | in it stay text. (Wine's
# cmd takes a quoted program after && for a name with its quotes in it: the program, a path
# that winepath makes of the build folder, and ctest's arguments go as they are.)
sets=""
for v in $(env | grep '^QT_' | cut -d= -f1); do
    eval "val=\$$v"
    sets="${sets}set \"$v=$val\"&& "
done
prog=$(winepath -w "$1" 2>/dev/null); shift
wine cmd /c "${sets}$prog $*"
status=$?
[ -z "$TELVARONIX_WINE_XVFB" ] || wineserver --kill
exit $status
