#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Renders the banner at 1x (as a plain bitmap, cheapest to read at start), 2x and 4x from its
# vector source (needs rsvg-convert, from Debian's librsvg2-bin, ImageMagick's convert and the
# DejaVu fonts). The pictures are kept in the repository, so building needs none of these; run
# this after changing resources/banner.svg.
set -euo pipefail
cd "$(dirname "$0")/../resources"
rsvg-convert --width 431 --height 62 banner.svg | convert png:- -alpha off BMP3:banner.bmp
rsvg-convert --width 862 --height 124 banner.svg --output banner@2x.png
rsvg-convert --width 1724 --height 248 banner.svg --output banner@4x.png
