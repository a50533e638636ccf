#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts Telvaronix wired to the simulated device, in a
# private configuration folder: the person's own settings and ports stay untouched. The
# device ends when the window closes. Arguments go to the simulated device (see its --help).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh >/dev/null

config=$(mktemp -d)
device_pid=""
cleanup() {
    [[ -z "$device_pid" ]] || kill "$device_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$config"
}
trap cleanup EXIT

# The device prints one line once its port link is in place.
exec 3< <(exec build/tools/simdevice/telvaronix-simdevice --config-dir "$config" --port 1 "$@")
device_pid=$!
read -r -u 3 ready
echo "Simulated device: $ready (its log follows)"

XDG_CONFIG_HOME="$config" build/src/app/telvaronix
