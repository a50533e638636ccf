#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Runs a test with a /dev and a /run/lock of its own, so that the adapter names and lock files
# it makes go with it, even when it is killed, and what the machine has there (real adapters,
# names or locks left by others) does not disturb it.
#
# As root, the command runs in a private mount namespace: /dev is the machine's /dev seen
# through an overlay whose changes live in memory, /dev/serial is an empty folder and
# /run/lock an empty one that every user may write to, as udev and Debian make them.
# TELVARONIX_PRIVATE_DEV=1 then tells the test that it may name devices. Otherwise the
# command runs as it is, and the tests that need this skip.
set -euo pipefail
if [[ ${1-} == --inside ]]; then
    scratch=$2
    shift 2
    mount -t tmpfs -o mode=0700 telvaronix-dev "$scratch"
    mkdir "$scratch"/upper "$scratch"/work "$scratch"/pts "$scratch"/shm
    # The overlay shows /dev's own files only; its mounts are carried over.
    mount --bind /dev/pts "$scratch/pts"
    mount --bind /dev/shm "$scratch/shm"
    mount -t overlay telvaronix-dev -o "lowerdir=/dev,upperdir=$scratch/upper,workdir=$scratch/work" /dev
    mount --move "$scratch/pts" /dev/pts
    mount --move "$scratch/shm" /dev/shm
    mkdir -p /dev/serial
    mount -t tmpfs -o mode=0755 telvaronix-serial /dev/serial
    mount -t tmpfs -o mode=1777 telvaronix-lock /run/lock
    TELVARONIX_PRIVATE_DEV=1 exec "$@"
fi
if [[ $(id -u) != 0 ]] || ! unshare --mount true 2>/dev/null; then
    exec "$@"
fi
scratch=$(mktemp -d)
trap 'rmdir "$scratch"' EXIT
unshare --mount --propagation private "$0" --inside "$scratch" "$@"
