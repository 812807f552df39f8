#!/usr/bin/env bash
# Holds ZELIMAGE.DLL against the public conformance pictures that Debian's
# source packages carry: libpng's PngSuite and test PNGs (with the files that
# once crashed it), libjpeg-turbo's test images, giflib's pictures, and the
# BMP suite in pillow's tests. Every file is decoded through the DLL under
# Wine and compared with the suite's own rendering where the BMP suite has
# one, else with ImageMagick's decode composited on black (gamma 1.0 PNGs by
# their stored samples, as the library writes them).
#
#   conformance.sh BUILD_DIR      (./vistals.sh conformance starts Wine)
#
# Prints per suite how many files came out exact, near (PSNR >= 40 dB),
# refused with a message, and wrong. Fails on a crash, a hang, a wrong
# picture, or a refusal of a file that is not deliberately broken and that
# ImageMagick or the suite renders, unless its format is one the library
# does not read (PPM).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
DIST=${ZEL_DIST_DIR:-$BUILD/dist}
DRIVER=${ZEL_CONFORMANCE_EXE:-$BUILD/mingw/tools/zelimage_conformance.exe}
WORK="$BUILD/conformance"
SRC="$WORK/src"
OUT="$WORK/out"
REF="$WORK/ref"
. "$(dirname "${BASH_SOURCE[0]}")/imagemagick.sh"
: "${WINEPREFIX:?run through ./vistals.sh conformance}"
export WINEDEBUG=-all
[ -f "$DRIVER" ] || { echo "conformance: $DRIVER is missing (build first)" >&2; exit 1; }
WINE=${VISTALS_WINE:-wine}

winpath() { echo "Z:$1" | tr / '\\'; }

# source_dir PACKAGE: the unpacked Debian source package, fetched once.
source_dir() {
  local pkg=$1 dir v
  dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | sort | tail -n1)
  if [ -z "$dir" ]; then
    echo "conformance: fetching the $pkg source package..." >&2
    # Newest first; a mirror may lack one pool, so older versions follow.
    for v in "" $(apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vr -u); do
      (cd "$SRC" && apt-get source -qq "$pkg${v:+=$v}" >/dev/null 2>>"$SRC/$pkg.log") && break
    done
    dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | sort | tail -n1)
    [ -n "$dir" ] || { echo "conformance: apt-get source $pkg failed (see $SRC/$pkg.log)" >&2; exit 1; }
  fi
  echo "$dir"
}

mkdir -p "$SRC"
PNG_SRC=$(source_dir libpng1.6)
JPEG_SRC=$(source_dir libjpeg-turbo)
GIF_SRC=$(source_dir giflib)
BMP_SUITE="$(source_dir pillow)/Tests/images/bmp"

# The files, one a line: SUITE FILE BROKEN (yes for deliberately broken files).
list_files() {
  local f
  for f in "$BMP_SUITE"/{g,q,b}/*.bmp; do
    echo "bmpsuite $f $([ "$(basename "$(dirname "$f")")" = b ] && echo yes || echo no)"
  done
  for f in "$PNG_SRC"/contrib/pngsuite/*.png; do
    echo "pngsuite $f $(case $(basename "$f") in x*) echo yes ;; *) echo no ;; esac)"
  done
  for f in "$PNG_SRC"/contrib/testpngs/*.png; do echo "testpngs $f no"; done
  for f in "$PNG_SRC"/contrib/testpngs/crashers/*.png; do echo "testpngs $f yes"; done
  for f in "$JPEG_SRC"/testimages/*.{jpg,bmp,ppm}; do echo "jpeg $f no"; done
  for f in "$GIF_SRC"/pic/*.gif "$GIF_SRC"/tests/*.gif; do echo "gif $f no"; done
}

# The BMP suite's own renderings, per file: "q/pal8os2v2-16.bmp pal8.png ...".
bmp_references() {
  awk '
    /<td[^>]*>[gqb]\/[^<]*\.bmp<\/td>/ {
      if (f != "") print f refs
      f = $0; sub(/.*<td[^>]*>/, "", f); sub(/<\/td>.*/, "", f); refs = ""; next
    }
    f != "" {
      s = $0
      while (match(s, /<img src="[^"]*"/)) {
        r = substr(s, RSTART + 10, RLENGTH - 11)
        if (r !~ /^\.\./) refs = refs " " r
        s = substr(s, RSTART + RLENGTH)
      }
    }
    END { if (f != "") print f refs }' "$BMP_SUITE/html/bmpsuite.html"
}

# flat SOURCE OUTPUT.ppm: 8-bit RGB, composited on black. A PNG tagged with
# gamma 1.0 is taken as its stored samples, not converted to sRGB.
flat() {
  local source=$1 output=$2 first=""
  case "$source" in *.gif) first="[0]" ;; esac
  "$IM" "$source$first" -set colorspace sRGB -background black -flatten -alpha off -depth 8 -type TrueColor \
    "ppm:$output" 2>/dev/null
}

# PSNR of two renderings: "inf", a number, or "size" when they differ in size.
psnr() {
  local result
  result=$("$COMPARE" -metric PSNR "$1" "$2" null: 2>&1) || true
  case "$result" in
    *image\ widths\ or\ heights\ differ*) echo size ;;
    inf*|[0-9]*) echo "${result%% *}" ;;
    *) echo size ;;
  esac
}

# Runs the driver over the list, again after each picture that ended a run.
run_driver() {
  local list=$1 results=$2 first=0 last status total
  total=$(wc -l <"$list")
  : >"$results"
  while [ "$first" -lt "$total" ]; do
    status=0
    "$WINE" "$DRIVER" "$(winpath "$DIST/ZELIMAGE/ZELIMAGE.DLL")" "$(winpath "$list")" "$(winpath "$OUT")" "$first" \
      2>>"$WORK/driver.log" | tr -d '\r' | iconv -c -f CP1252 -t UTF-8 >>"$results" || status=$?
    [ "$status" -eq 2 ] && { echo "conformance: the driver could not start (see $WORK/driver.log)" >&2; exit 1; }
    last=$(tail -n1 "$results" | cut -d' ' -f1)
    if [ -z "$last" ] || [ "$last" -lt "$first" ]; then
      # Gone without a word: the picture it was on ended it.
      echo "$first crashed" >>"$results"
      last=$first
    fi
    first=$((last + 1))
  done
}

rm -rf "$OUT" "$REF"
mkdir -p "$OUT" "$REF"
ENTRIES="$WORK/entries"
list_files >"$ENTRIES"
cut -d' ' -f2 "$ENTRIES" | while read -r f; do winpath "$f"; done >"$WORK/list"
echo "conformance: decoding $(wc -l <"$ENTRIES") files through the DLL..." >&2
run_driver "$WORK/list" "$WORK/results"
bmp_references >"$WORK/bmp-references"

declare -A exact near refused wrong other
failures=()
n=0
while read -r suite file broken; do
  result=$(grep -aE "^$n " "$WORK/results" | head -n1 | cut -d' ' -f2-)
  name=${file#"$SRC"/}
  : "${exact[$suite]:=0}" "${near[$suite]:=0}" "${refused[$suite]:=0}" "${wrong[$suite]:=0}" "${other[$suite]:=0}"
  # The renderings to hold the picture against.
  refs=()
  if [ "$suite" = bmpsuite ]; then
    key="$(basename "$(dirname "$file")")/$(basename "$file")"
    for r in $(grep -F "$key " "$WORK/bmp-references" | head -n1 | cut -d' ' -f2-); do refs+=("$BMP_SUITE/html/$r"); done
  fi
  [ ${#refs[@]} -gt 0 ] || refs=("$file")
  rendered=()
  i=0
  for r in "${refs[@]}"; do
    flat "$r" "$REF/$n-$i.ppm" && rendered+=("$REF/$n-$i.ppm")
    i=$((i + 1))
  done
  case "$result" in
    decoded)
      if [ ${#rendered[@]} -eq 0 ]; then
        other[$suite]=$((other[$suite] + 1)); echo "  $name: decoded, nothing to compare with" >&2
      else
        flat "$OUT/$n.bmp" "$OUT/$n.ppm"
        best=size
        for r in "${rendered[@]}"; do
          p=$(psnr "$OUT/$n.ppm" "$r")
          if [ "$p" = inf ]; then best=inf; break; fi
          [ "$p" = size ] && continue
          if [ "$best" = size ] || awk "BEGIN{exit !($p > $best)}"; then best=$p; fi
        done
        if [ "$best" = inf ]; then
          exact[$suite]=$((exact[$suite] + 1))
        elif [ "$best" != size ] && awk "BEGIN{exit !($best >= 40)}"; then
          near[$suite]=$((near[$suite] + 1)); echo "  $name: near, PSNR $best dB" >&2
        elif [ "$broken" = yes ]; then
          other[$suite]=$((other[$suite] + 1)); echo "  $name: broken file decoded its own way (PSNR $best)" >&2
        else
          wrong[$suite]=$((wrong[$suite] + 1)); failures+=("$name: wrong picture (PSNR $best)")
        fi
      fi ;;
    refused\ *)
      refused[$suite]=$((refused[$suite] + 1))
      words=${result#refused }
      echo "  $name: refused: ${words#* }" >&2
      case "$file" in *.ppm) readable=no ;; *) readable=yes ;; esac
      if [ -z "${words#* }" ]; then
        failures+=("$name: refused without a message")
      elif [ "$broken" = no ] && [ "$readable" = yes ] && [ ${#rendered[@]} -gt 0 ]; then
        failures+=("$name: refused, yet it has a rendering: ${words#* }")
      fi ;;
    crashed|hung) failures+=("$name: $result") ;;
    *) failures+=("$name: no result") ;;
  esac
  n=$((n + 1))
done <"$ENTRIES"

printf '\n%-10s %6s %6s %8s %6s %6s\n' suite exact near refused wrong other
for suite in bmpsuite pngsuite testpngs jpeg gif; do
  printf '%-10s %6d %6d %8d %6d %6d\n' "$suite" "${exact[$suite]:-0}" "${near[$suite]:-0}" "${refused[$suite]:-0}" \
    "${wrong[$suite]:-0}" "${other[$suite]:-0}"
done
echo "(other: broken files decoded in their own way, or with nothing to compare with)"
if [ ${#failures[@]} -gt 0 ]; then
  printf 'conformance: FAILED\n' >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "conformance: passed"
