#!/usr/bin/env bash
# Draws the program icon (a framed landscape at dusk) and writes vistals.ico
# with 16, 24, 32, 48 and 256 pixel images. Run it after changing the artwork.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
  -fill '#26323f' -draw 'roundrectangle 8,20 247,235 28,28' \
  \( -size 208x176 gradient:'#3b7dd8-#f2b36b' \) -geometry +24+36 -composite \
  -fill '#ffe27a' -draw 'circle 172,96 172,70' \
  -fill '#3f7a3a' -draw 'polygon 24,212 24,160 84,118 140,168 176,140 232,176 232,212' \
  -fill '#2c5a2a' -draw 'polygon 24,212 24,188 100,150 170,200 232,170 232,212' \
  -fill none -stroke '#dfe7ef' -strokewidth 10 -draw 'roundrectangle 22,34 233,221 14,14' \
  "$tmp/big.png"
for s in 256 48 32 24 16; do
  convert "$tmp/big.png" -filter Lanczos -resize ${s}x${s} -unsharp 0x0.6 "$tmp/i$s.png"
done
convert "$tmp/i16.png" "$tmp/i24.png" "$tmp/i32.png" "$tmp/i48.png" "$tmp/i256.png" vistals.ico
