#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts Telvaronix wired to the simulated device, in a
# private configuration folder: the person's own settings and ports stay untouched. The
# device ends when the window closes. It builds in ./build (or in the folder that
# TELVARONIX_BUILD names), without the tests. Arguments go to the simulated device (see its
# --help), those after -- to Telvaronix (such as --log FILE, a record of every exchange).
#
#   tools/demo.sh [--check] [DEVICE OPTION...] [-- PROGRAM OPTION...]
#
# With --check nothing shows on the person's screen: on an X server of its own (Xvfb), the
# demo presses "Comando 1" as a person would, waits until the device's reply shows in the
# window, closes the program and exits with status 0; or exits with status 1 when the window
# or the reply has not come within 20 s each.
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
if [[ ${1:-} == --check ]]; then
    check=true
    shift
fi
device_options=()
while (($#)) && [[ $1 != -- ]]; do
    device_options+=("$1")
    shift
done
(($#)) && shift
program_options=("$@")

if $check; then tools/install-deps.sh --headless; else tools/install-deps.sh; fi
build=${TELVARONIX_BUILD:-build}
echo "Building Telvaronix in $build"
build_log=$(mktemp)
if ! tools/build.sh >"$build_log" 2>&1; then
    cat "$build_log" >&2
    exit 1
fi
rm -f "$build_log"

config=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$config"
}
trap cleanup EXIT

if $check; then
    # An X server of its own, on the first free display; it writes the number once it is ready.
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$config/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [[ -s $config/display ]] && break; sleep 0.1; done
    [[ -s $config/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(head -n 1 "$config/display")
    device_options=(--log "$config/device.log" "${device_options[@]}")
fi

# The device prints one line once its port link is in place.
exec 3< <(exec "$build/tools/simdevice/telvaronix-simdevice" --config-dir "$config" --port 1 \
    "${device_options[@]}")
pids+=($!)
read -r -u 3 ready
echo "Simulated device: $ready"

if ! $check; then
    echo "(its log follows)"
    XDG_CONFIG_HOME="$config" "$build/src/app/telvaronix" "${program_options[@]}"
    exit
fi

XDG_CONFIG_HOME="$config" "$build/src/app/telvaronix" "${program_options[@]}" &
program=$!
pids+=("$program")

# The main window: the one titled Telvaronix at least as large as the form (the warning is
# smaller). Sets window, X, Y, WIDTH and HEIGHT.
find_main_window() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Telvaronix$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if ((WIDTH >= 457)); then
            window=$id
            return 0
        fi
    done
    return 1
}
# A control's place in the form at the window's scale (it grows with a larger font), as
# WIDTHxHEIGHT+LEFT+TOP.
place() {
    awk -v w="$WIDTH" -v l="$1" -v t="$2" -v cw="$3" -v ch="$4" \
        'BEGIN { s = w / 457; printf "%dx%d+%d+%d", cw * s, ch * s, l * s, t * s }'
}
# How many colours a control's part of the window shows: 1 while it shows nothing.
colours_in() {
    import -silent -window "$window" png:- |
        convert - -crop "$(place "$@")" +repage -format %k info:
}

for _ in $(seq 200); do find_main_window && break; sleep 0.1; done
[[ -n ${window:-} ]] || { echo "The window did not come up." >&2; exit 1; }
echo "The window is up: ${WIDTH} x ${HEIGHT}."
# Waits for the reply label (Lbl1) to show something after a click on "Comando 1" (Cmd1).
[[ $(colours_in 152 72 297 33) == 1 ]] || { echo "The reply label is not empty." >&2; exit 1; }
read -r cmd1 <<<"$(place 32 32 89 25)"
IFS='x+' read -r width height left top <<<"$cmd1"
xdotool mousemove --window "$window" $((left + width / 2)) $((top + height / 2)) click 1
for _ in $(seq 200); do [[ $(colours_in 152 72 297 33) != 1 ]] && break; sleep 0.1; done
if [[ $(colours_in 152 72 297 33) == 1 ]]; then
    echo "No reply showed after a click on \"Comando 1\"." >&2
    cat "$config/device.log" >&2
    exit 1
fi
echo "The reply shows after a click on \"Comando 1\"; the device's log:"
cat "$config/device.log"
kill -TERM "$program"
wait "$program"
echo "Telvaronix closed with status 0."
