#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Writes the Debian changelog of the package, compressed, from the project's CHANGELOG.md:
# each "## <version> - <date>" heading and its "- " items become one entry.
# usage: debian-changelog.sh CHANGELOG.md PACKAGE "MAINTAINER <address>" OUTPUT.gz
set -eu
markdown=$1 package=$2 maintainer=$3 output=$4

# Made first and then compressed, so that a failing awk fails the script rather than leave an
# empty changelog.
changelog=$(awk -v package="$package" -v maintainer="$maintainer" '
    function flush_item() {
        if (item == "") return
        # Wrapped to 80 columns: "  * " before the first line, four blanks before the rest.
        line = "  *"; n = split(item, words, " ")
        for (i = 1; i <= n; i++) {
            if (length(line) + 1 + length(words[i]) > 79) { print line; line = "   " }
            line = line " " words[i]
        }
        print line; item = ""
    }
    function flush_entry() {
        flush_item()
        if (version == "") return
        command = "LC_ALL=C date -R -u -d \"" date " 12:00\""
        command | getline stamp; close(command)
        print ""; print " -- " maintainer "  " stamp; version = ""
    }
    /^## / {
        flush_entry()
        if (entries++) print ""
        version = $2; date = $4
        print package " (" version ") unstable; urgency=medium"; print ""
        next
    }
    version != "" && /^- / { flush_item(); item = substr($0, 3); next }
    version != "" && /^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
    END { flush_entry() }
' "$markdown")
[ -n "$changelog" ] || { echo "$0: no release in $markdown" >&2; exit 1; }
printf '%s\n' "$changelog" | gzip -9n >"$output"
