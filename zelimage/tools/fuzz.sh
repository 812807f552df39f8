#!/usr/bin/env bash
# Runs the portable tests natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, then fuzzes the BMP reader and the JPEG, PNG
# and GIF decoders with libFuzzer for SECONDS in all, from small good pictures
# and damaged ones made from them (damaged-seeds.py).
#
#   fuzz.sh BUILD_DIR [SECONDS]     (./vistals.sh fuzz SECONDS)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ZEL=$(cd "$HERE/.." && pwd)
BUILD=$(mkdir -p "$1" && cd "$1" && pwd)
SECONDS_IN_ALL=${2:-60}
. "$(dirname "${BASH_SOURCE[0]}")/imagemagick.sh"

echo "fuzz: the portable tests under the sanitizers" >&2
"$HERE/native-tests.sh" "$BUILD" --gtest_brief=1

PREFIX="$BUILD/thirdparty/prefix-native"
OUT="$BUILD/zelimage-fuzz"
mkdir -p "$OUT/earlier"
# Findings of earlier runs are kept for reading but do not fail this one.
mv "$OUT"/crash-* "$OUT/earlier/" 2>/dev/null || true
FLAGS="-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$PREFIX/include"
LIBS=("$PREFIX/lib/libpng.a" "$PREFIX/lib/libz.a" "$PREFIX/lib/libjpeg.a" "$PREFIX/lib/libgif.a")
per_target=$(( SECONDS_IN_ALL / 4 ))
[ "$per_target" -ge 1 ] || per_target=1

seed() {  # seed FORMAT DIR: a few small pictures of the format
  local format=$1 dir=$2
  [ -n "$(ls -A "$dir" 2>/dev/null)" ] && return 0
  mkdir -p "$dir"
  "$IM" -size 17x11 gradient:red-blue "$dir/a.$format"
  "$IM" -size 9x13 plasma:fractal -seed 3 -colors 16 "$dir/b.$format"
  case $format in
    bmp) "$IM" -size 8x8 xc:gray -type Palette -compress RLE "BMP3:$dir/rle.bmp"
         "$IM" -size 8x8 gradient: -type TrueColor "BMP3:$dir/c.bmp" ;;
    jpg) "$IM" -size 16x16 gradient: -interlace Plane "$dir/progressive.jpg" ;;
    png) "$IM" -size 8x8 gradient: -depth 16 "PNG48:$dir/deep.png"
         "$IM" -size 8x8 xc:none -fill red -draw 'point 3,3' "PNG32:$dir/alpha.png" ;;
    gif) "$IM" -size 8x8 xc:white -interlace GIF "$dir/interlaced.gif" ;;
  esac
}

for target in bmp jpg png gif; do
  name=$(echo "$target" | tr a-z A-Z)
  [ "$name" = JPG ] && name=JPEG
  exe="$OUT/fuzz_$target"
  clang++ $FLAGS -DFUZZ_$name "$ZEL/tools/FuzzDecoders.cpp" "$ZEL"/core/*.cpp "$ZEL"/codecs/*.cpp "${LIBS[@]}" -o "$exe"
  corpus="$OUT/corpus-$target"
  seed "$target" "$corpus"
  python3 "$HERE/damaged-seeds.py" "$target" "$corpus"
  echo "fuzz: $target for ${per_target}s from $(ls "$corpus" | wc -l) seeds" >&2
  log="$OUT/run-$target.log"
  # A hang is an input that runs a minute; on a busy machine a 10-second
  # limit also caught inputs that run in 50 ms but waited for the processor.
  "$exe" "$corpus" -max_total_time="$per_target" -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$OUT/crash-$target-" >"$log" 2>&1 || true
  grep -E '^(==|SUMMARY|artifact)' "$log" | head -n 20 || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  reports=$(grep -cE 'ERROR: (Address|Leak|Memory|Thread)Sanitizer|runtime error:' "$log" || true)
  stops=$(grep -cE 'ERROR: libFuzzer: (timeout|out-of-memory|deadly signal)' "$log" || true)
  echo "fuzz: $target: ${runs:-?} runs, $reports sanitizer reports, $stops hangs or crashes" >&2
done
echo "fuzz: done; any crash would be saved as $OUT/crash-*" >&2
# Slow units are reported, not failures.
ls "$OUT"/crash-* 2>/dev/null | grep -v -- '-slow-unit-' && exit 1 || exit 0
