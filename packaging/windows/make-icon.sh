#!/usr/bin/env bash
# Packs the rendered PNG sizes into velmora.ico for the Windows program and its
# installer. Run it after packaging/icons/render.sh and commit the .ico: the
# build only links it.
#   packaging/windows/make-icon.sh        (needs ImageMagick: apt-get install imagemagick)
set -euo pipefail
cd "$(dirname "$0")"
icons=../icons
# 256 px is stored as PNG inside the .ico (ImageMagick does so by itself), the
# smaller sizes as bitmaps, which every Windows version reads.
convert "$icons"/velmora-{16,24,32,48,64,256}.png velmora.ico
