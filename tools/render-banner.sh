#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# Renders the banner at 1x and 2x from its vector source (needs rsvg-convert, from Debian's
# librsvg2-bin, and the DejaVu fonts). The pictures are kept in the repository, so building
# needs neither; run this after changing resources/banner.svg.
set -euo pipefail
cd "$(dirname "$0")/../resources"
rsvg-convert --width 431 --height 62 banner.svg --output banner.png
rsvg-convert --width 862 --height 124 banner.svg --output banner@2x.png
