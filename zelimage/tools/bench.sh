#!/usr/bin/env bash
# Times the wallpaper chain through ZELIMAGE.DLL under Wine against
# ImageMagick on the same pictures: median time, peak memory, their ratios,
# and the PSNR of our resize against ImageMagick's. Then the program's own
# path: the worker's whole run on the 6000x4000 JPEG, written as the
# program's "vistals.bmp", against ImageMagick making the same screen-sized
# BMP in the same run; and the same picture on each of two monitors (a
# 2560x1440 primary, a portrait 1080x1920 left of it) as one bitmap over both,
# against ImageMagick making the same bitmap.
#
#   bench.sh BUILD_DIR        (./vistals.sh bench starts Wine and the display)
# BENCH_RUNS (default 3) sets the runs per case. Last comes the idle section
# (idle.sh); BENCH_SECTIONS=idle runs it alone, BENCH_SECTIONS=program only
# the program's own path.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
RUNS=${BENCH_RUNS:-3}
DIST=${ZEL_DIST_DIR:-$BUILD/dist}
DRIVER=${ZEL_BENCH_EXE:-$BUILD/mingw/tools/zelimage_bench.exe}
CORPUS="$BUILD/bench-corpus"
OUT="$BUILD/bench-out"
. "$(dirname "${BASH_SOURCE[0]}")/imagemagick.sh"
: "${WINEPREFIX:?run through ./vistals.sh bench}"
export WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all
WINE=${VISTALS_WINE:-wine}
RUN_DRIVER=${VISTALS_RUN_BENCH_EXE:-$(dirname "$DRIVER")/vistals_run_bench.exe}
[ -f "$DRIVER" ] || { echo "bench: $DRIVER is missing (build first)" >&2; exit 1; }
[ -f "$RUN_DRIVER" ] || { echo "bench: $RUN_DRIVER is missing (build first)" >&2; exit 1; }

winpath() { echo "Z:$1" | tr / '\\'; }

IDLE="$(dirname "$0")/idle.sh"
export VISTALS_TOOLS_DIR=${VISTALS_TOOLS_DIR:-$(dirname "$DRIVER")}
[ "${BENCH_SECTIONS:-}" = idle ] && exec "$IDLE" "$BUILD"

make_corpus() {
  [ -f "$CORPUS/.ready" ] && return 0
  echo "bench: making the corpus (once)..." >&2
  mkdir -p "$CORPUS"
  local base="$CORPUS/base.png"
  "$IM" -seed 7 -size 1500x1000 plasma:fractal -blur 0x0.7 \
    -fill '#f4d35e' -draw 'circle 1100,300 1100,220' -stroke '#203a2c' -strokewidth 6 \
    -draw 'line 0,800 1500,620' -fill none -stroke white -strokewidth 3 -draw 'rectangle 200,150 600,450' "$base"
  "$IM" "$base" -resize '6000x4000!' -attenuate 0.4 +noise Gaussian -quality 90 "$CORPUS/photo-6000x4000.jpg"
  "$IM" "$base" -resize '4000x3000!' -attenuate 0.4 +noise Gaussian -quality 90 "$CORPUS/photo-4000x3000.jpg"
  "$IM" "$base" -resize '1920x1080!' "PNG24:$CORPUS/screen-1920x1080.png"
  "$IM" "$base" -resize '3000x2000!' -depth 16 "PNG48:$CORPUS/deep-3000x2000.png"
  "$IM" "$base" -resize '800x600!' -colors 256 "$CORPUS/anim-800x600.gif"
  "$IM" "$base" -resize '4000x3000!' -type TrueColor "BMP3:$CORPUS/plain-4000x3000.bmp"
  touch "$CORPUS/.ready"
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# ours FILE W H OUTPUT CALENDAR -> "ms kib" (median ms, largest peak)
ours() {
  local file=$1 w=$2 h=$3 out=$4 cal=$5 i times=() peak=0 line
  for i in $(seq "$RUNS"); do
    line=$("$WINE" "$DRIVER" "$(winpath "$DIST/ZELIMAGE/ZELIMAGE.DLL")" "$(winpath "$file")" "$w" "$h" "$(winpath "$out")" "$cal" | tr -d '\r')
    times+=("${line% *}")
    [ "${line#* }" -gt "$peak" ] && peak=${line#* }
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $peak"
}

# theirs FILE W H OUTPUT -> "ms kib"
theirs() {
  local file=$1 w=$2 h=$3 out=$4 i times=() peak=0 line
  for i in $(seq "$RUNS"); do
    line=$(/usr/bin/time -f '%e %M' "$IM" "$file" -resize "${w}x${h}!" -type TrueColor "BMP3:$out" 2>&1 >/dev/null | tail -n1)
    times+=("$(echo "${line% *} * 1000" | bc)")
    [ "${line#* }" -gt "$peak" ] && peak=${line#* }
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $peak"
}

make_corpus
mkdir -p "$OUT"
failures=0
[ "${BENCH_SECTIONS:-}" = program ] || {
printf '%-24s %-10s %9s %9s %6s %5s %8s %8s %4s %8s\n' picture size ours_ms im_ms ratio goal ours_MB im_MB mem psnr_dB
for file in "$CORPUS"/photo-6000x4000.jpg "$CORPUS"/photo-4000x3000.jpg "$CORPUS"/screen-1920x1080.png \
            "$CORPUS"/deep-3000x2000.png "$CORPUS"/anim-800x600.gif "$CORPUS"/plain-4000x3000.bmp; do
  name=$(basename "$file")
  for size in 1920x1080 3840x2160; do
    w=${size%x*}; h=${size#*x}
    read -r our_ms our_kib < <(ours "$file" "$w" "$h" "$OUT/ours.bmp" 1)
    read -r im_ms im_kib < <(theirs "$file" "$w" "$h" "$OUT/im.bmp")
    ours "$file" "$w" "$h" "$OUT/ours-plain.bmp" 0 >/dev/null
    psnr=$("$COMPARE" -metric PSNR "$OUT/ours-plain.bmp" "$OUT/im.bmp" null: 2>&1 | awk '{print $1}') || true
    goal=0.5
    [ "$name" = photo-6000x4000.jpg ] && [ "$size" = 1920x1080 ] && goal=0.25
    ratio=$(echo "scale=3; $our_ms / $im_ms" | bc)
    mem=ok
    [ "$our_kib" -lt "$im_kib" ] || mem=HIGH
    time_ok=$(echo "$ratio <= $goal" | bc)
    psnr_ok=$(echo "${psnr/inf/99} >= 40" | bc 2>/dev/null || echo 0)
    [ "$time_ok" = 1 ] && [ "$mem" = ok ] && [ "$psnr_ok" = 1 ] || failures=$((failures + 1))
    printf '%-24s %-10s %9.0f %9.0f %6.2f %5s %8.1f %8.1f %4s %8s\n' "$name" "$size" "$our_ms" "$im_ms" "$ratio" \
      "$goal" "$(echo "$our_kib / 1024" | bc -l)" "$(echo "$im_kib / 1024" | bc -l)" "$mem" "$psnr"
  done
done
}

# program FILE [two-monitors] -> "ms kib width height" (median ms, largest
# peak, size of the file written)
program() {
  local file=$1 i times=() peak=0 line size
  for i in $(seq "$RUNS"); do
    line=$("$WINE" "$RUN_DRIVER" "$(winpath "$DIST")" "$(winpath "$file")" 1 ${2:-} | tr -d '\r')
    read -r ms kib w h <<< "$line"
    times+=("$ms")
    [ "$kib" -gt "$peak" ] && peak=$kib
    size="$w $h"
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $peak $size"
}

echo
echo "program path: the worker's whole run (Fit Desktop, calendar) writing $DIST/vistals.bmp"
printf '%-24s %-10s %9s %9s %6s %5s %8s %8s\n' picture screen ours_ms im_ms ratio goal ours_MB im_MB
file="$CORPUS/photo-6000x4000.jpg"
read -r our_ms our_kib w h < <(program "$file")
read -r im_ms im_kib < <(theirs "$file" "$w" "$h" "$OUT/im-screen.bmp")
ratio=$(echo "scale=3; $our_ms / $im_ms" | bc)
goal=0.25
[ "$(echo "$ratio <= $goal" | bc)" = 1 ] || failures=$((failures + 1))
printf '%-24s %-10s %9.0f %9.0f %6.2f %5s %8.1f %8.1f\n' "$(basename "$file")" "${w}x$h" "$our_ms" "$im_ms" "$ratio" \
  "$goal" "$(echo "$our_kib / 1024" | bc -l)" "$(echo "$im_kib / 1024" | bc -l)"

# two_monitors FILE OUTPUT W H -> "ms kib": ImageMagick's bitmap over both
# monitors, the primary's picture at 0,0 and the portrait one beside it.
two_monitors() {
  local file=$1 out=$2 w=$3 h=$4 i times=() peak=0 line
  for i in $(seq "$RUNS"); do
    line=$(/usr/bin/time -f '%e %M' "$IM" -size "${w}x$h" xc:black \
      \( "$file" -resize '2560x1440!' \) -geometry +0+0 -composite \
      \( "$file" -resize '1080x1920!' \) -geometry +2560+0 -composite \
      -type TrueColor "BMP3:$out" 2>&1 >/dev/null | tail -n1)
    times+=("$(echo "${line% *} * 1000" | bc)")
    [ "${line#* }" -gt "$peak" ] && peak=${line#* }
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $peak"
}

echo
echo "two monitors: 2560x1440 and a portrait 1080x1920 left of it, the same picture on each, one bitmap"
read -r our_ms our_kib w h < <(program "$file" two-monitors)
[ "$w" = 3640 ] && [ "$h" = 1920 ] || { echo "bench: the bitmap over two monitors is ${w}x$h" >&2; failures=$((failures + 1)); }
read -r im_ms im_kib < <(two_monitors "$file" "$OUT/im-two-monitors.bmp" "$w" "$h")
ratio=$(echo "scale=3; $our_ms / $im_ms" | bc)
goal=0.25
[ "$(echo "$ratio <= $goal" | bc)" = 1 ] && [ "$our_kib" -lt "$im_kib" ] || failures=$((failures + 1))
printf '%-24s %-10s %9.0f %9.0f %6.2f %5s %8.1f %8.1f\n' "$(basename "$file")" "${w}x$h" "$our_ms" "$im_ms" "$ratio" \
  "$goal" "$(echo "$our_kib / 1024" | bc -l)" "$(echo "$im_kib / 1024" | bc -l)"
echo "bench: $failures case(s) miss a goal (time ratio, memory below ImageMagick's, PSNR >= 40 dB)"
[ "${BENCH_SECTIONS:-}" = program ] || "$IDLE" "$BUILD"
