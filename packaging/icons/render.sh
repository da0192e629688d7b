#!/usr/bin/env bash
# Renders the hicolor PNG sizes from velmora.svg. Run it after changing the
# SVG and commit the PNGs: the build only copies them.
#   packaging/icons/render.sh        (needs rsvg-convert: apt-get install librsvg2-bin)
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" velmora.svg -o "velmora-$size.png"
done
