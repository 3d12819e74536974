#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the hicolor PNG sizes from the SVG (needs librsvg2-bin). Run after changing the
# SVG and commit the PNGs; the build only installs them.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" korvalis-control.svg -o "korvalis-control-$size.png"
done
