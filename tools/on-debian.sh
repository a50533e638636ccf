#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Runs a command in a minimal Debian of another release, with this checkout in it:
#
#   tools/on-debian.sh RELEASE [COMMAND [ARGUMENT...]]
#
# RELEASE is a suite such as trixie or testing; COMMAND runs in the checkout and defaults to
# tools/test.sh, which installs what it needs there first. The system is made with debootstrap
# from the mirror this machine's apt uses (or TELVARONIX_DEBIAN_MIRROR), in
# build-debian/RELEASE, and reused on later runs. It builds in build-debian/RELEASE-build, so
# it never touches this machine's own build. A Qt for Windows archive given in
# TELVARONIX_QT_MINGW_ARCHIVE is handed in, so that tools/test.sh builds the Windows version
# there too. Needs root (sudo is used otherwise).
#
# Everything is mounted in a mount namespace of its own, so that every mount goes away when
# the command ends, however it ends: failure, a signal, or the script being killed.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $# -ge 1 ]] || { echo "usage: $0 RELEASE [COMMAND [ARGUMENT...]]" >&2; exit 2; }
release=$1
shift
# A suite's name only: the system is made, and removed when half made, in a folder named after it.
[[ $release =~ ^[a-z][a-z0-9-]*$ ]] || { echo "$0: not a Debian suite: $release" >&2; exit 2; }
(($#)) || set -- tools/test.sh

if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=CI,TELVARONIX_DEBIAN_MIRROR,TELVARONIX_QT_MINGW_ARCHIVE "$0" "$release" "$@"
fi

checkout=$PWD
root=$checkout/build-debian/$release

# The first Debian archive (not its security archive) that apt's sources name.
debian_mirror() {
    if [[ -n ${TELVARONIX_DEBIAN_MIRROR:-} ]]; then
        echo "$TELVARONIX_DEBIAN_MIRROR"
        return
    fi
    local uri
    uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
          sed -n 's/^URIs:[[:space:]]*//p' | tr ' ' '\n' | grep -E '/debian/?$' | head -n 1 || true)
    [[ -n $uri ]] || uri=$(sed -n -E 's/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+\/debian\/?)[[:space:]].*/\2/p' \
                                /etc/apt/sources.list 2>/dev/null | head -n 1 || true)
    [[ -n $uri ]] || { echo "no Debian archive in apt's sources; set TELVARONIX_DEBIAN_MIRROR" >&2; exit 1; }
    echo "${uri%/}"
}

if [[ ! -e $root/.telvaronix-ready ]]; then
    command -v debootstrap >/dev/null || {
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y debootstrap
    }
    mirror=$(debian_mirror)
    rm -rf "$root"
    mkdir -p "$root"
    echo "Making a minimal Debian $release in $root from $mirror"
    debootstrap --variant=minbase "$release" "$root" "$mirror"
    echo "deb $mirror $release main" >"$root/etc/apt/sources.list"
    if [[ $release == testing || $release == sid || $release == unstable ]]; then
        # A mirror of a moving suite may be older than its Release file's Valid-Until.
        echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99telvaronix"
    fi
    # No services start inside: packages are only unpacked and configured.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    touch "$root/.telvaronix-ready"
fi

# Inside a mount namespace of its own: the kernel's file systems, the devices (pseudo-terminals
# included), a fresh /run with its lock folder and a fresh /tmp, the checkout, then the command.
inside=$(cat <<'SCRIPT'
set -euo pipefail
root=$1 checkout=$2 qt_for_windows=$3
shift 3
mount --make-rprivate /
# The system's root a mount point of its own, so that a test's own mount namespace (see
# tests/support/private-dev.sh) can be made inside it.
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
mount -t tmpfs -o mode=755 run "$root/run"
mkdir -m 1777 "$root/run/lock"
mkdir -p "$root/run/user/0" && chmod 700 "$root/run/user/0"
mount -t tmpfs -o mode=1777 tmp "$root/tmp"
mkdir -p "$root/telvaronix"
mount --bind "$checkout" "$root/telvaronix"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
inside_archive=
if [[ -n $qt_for_windows ]]; then
    inside_archive=/run/qt6-mingw.tar.gz
    touch "$root$inside_archive"
    mount --bind -o ro "$qt_for_windows" "$root$inside_archive"
fi
exec chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
    TELVARONIX_BUILD="build-debian/$(basename "$root")-build" \
    ${inside_archive:+TELVARONIX_QT_MINGW_ARCHIVE=$inside_archive} \
    /bin/bash -c 'cd /telvaronix && exec "$@"' bash "$@"
SCRIPT
)
qt_for_windows=${TELVARONIX_QT_MINGW_ARCHIVE:+$(realpath "$TELVARONIX_QT_MINGW_ARCHIVE")}
exec unshare --mount --propagation private bash -c "$inside" bash "$root" "$checkout" "$qt_for_windows" "$@"
