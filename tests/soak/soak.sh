#!/usr/bin/env bash
# The long run: the installed program through COMMANDS picture and set
# changes of mixed, damaged and vanishing pictures (see SoakDriver.cpp).
#
#   soak.sh BUILD_DIR TEST_BUILD_DIR [COMMANDS]     (./vistals.sh soak [N])
#
# Expects the Wine session that vistals.sh starts. Fails when the working set
# grows by more than GROWTH_BOUND_MB, when a written vistals.bmp is not a
# complete picture, or when the stored sets changed after the exit.
set -euo pipefail
BUILD=$1 TEST_BUILD=$2 COMMANDS=${3:-300}
# Once the run is over no picture is held: a single decoded picture of the
# largest size in the run (4000x3000, 34 MB) left behind exceeds the bound,
# while the heap's own growth stays far below it (about 3 MB in 300 changes).
GROWTH_BOUND_MB=${GROWTH_BOUND_MB:-32}
IM=/usr/bin/convert-im6.q16
[ -x "$IM" ] || IM=convert

pictures="$BUILD/soak-pictures"
if [ ! -f "$pictures/.ready" ]; then
  rm -rf "$pictures"; mkdir -p "$pictures"
  "$IM" -size 4000x3000 plasma:'#203a5a-#e0a060' -quality 85 "$pictures/big.jpg"
  "$IM" -size 1600x1200 gradient:'#1d3b5a-#e8a86b' "$pictures/dusk.jpg"
  "$IM" -size 1280x800 plasma:'#2a6f97-#a9d6e5' "$pictures/sea.png"
  "$IM" -size 300x200 pattern:checkerboard -fill '#c0392b' -colorize 40 "$pictures/tiles.bmp"
  "$IM" -size 640x480 plasma:fractal -colors 64 "$pictures/fractal.gif"
  "$IM" -size 2000x1000 gradient:'#000000-#ffffff' -depth 16 "PNG48:$pictures/deep.png"
  "$IM" -size 800x600 xc:'#406080' "BMP3:$pictures/plain.bmp"
  # Damaged: cut short, or not a picture at all.
  head -c 20000 "$pictures/dusk.jpg" > "$pictures/cut.jpg"
  head -c 30000 "$pictures/sea.png" > "$pictures/cut.png"
  head -c 5000 "$pictures/fractal.gif" > "$pictures/cut.gif"
  head -c 100 /dev/urandom > "$pictures/noise.jpg"
  # Deleted once the program runs.
  cp "$pictures/dusk.jpg" "$pictures/vanish-1.jpg"
  cp "$pictures/sea.png" "$pictures/vanish-2.png"
  touch "$pictures/.ready"
fi
# Put the vanishing ones back for this run.
[ -f "$pictures/vanish-1.jpg" ] || cp "$pictures/dusk.jpg" "$pictures/vanish-1.jpg"
[ -f "$pictures/vanish-2.png" ] || cp "$pictures/sea.png" "$pictures/vanish-2.png"

echo "soak: $COMMANDS commands, growth bound $GROWTH_BOUND_MB MB" >&2
"$VISTALS_WINE" "$TEST_BUILD/tests-bin/soak_driver.exe" "$("$VISTALS_WINE" winepath -w "$pictures" 2>/dev/null)" \
  "$COMMANDS" "$GROWTH_BOUND_MB"
