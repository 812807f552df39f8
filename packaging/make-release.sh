#!/usr/bin/env bash
# Packs a built program folder for release.
#
#   make-release.sh [--installer-only] DIST OUT VERSION NSIS_TARGET STEM THIRDPARTY_SRC
#
# DIST is the program folder (Vistals.exe, ZELIMAGE\ZELIMAGE.DLL and, once
# the help is built, Vistals.chm); OUT receives STEM-portable.zip and
# STEM-setup.exe. NSIS_TARGET is x86-unicode for the product and
# amd64-unicode for the 64-bit test build. THIRDPARTY_SRC holds the unpacked
# Debian source packages of the decoders linked into ZELIMAGE.DLL, whose
# licence texts travel with the program.
set -euo pipefail

installer_only=no
if [ "${1:-}" = --installer-only ]; then installer_only=yes; shift; fi
[ $# -eq 6 ] || { sed -n '2,12p' "$0" >&2; exit 2; }
DIST=$(cd "$1" && pwd)
OUT=$(mkdir -p "$2" && cd "$2" && pwd)
VERSION=$3 NSIS_TARGET=$4 STEM=$5 SRC=$6
HERE=$(cd "$(dirname "$0")" && pwd)

command -v makensis >/dev/null || { echo "make-release: makensis missing (run ./vistals.sh setup)" >&2; exit 1; }
for f in Vistals.exe ZELIMAGE/ZELIMAGE.DLL; do
  [ -f "$DIST/$f" ] || { echo "make-release: $DIST/$f missing (build first)" >&2; exit 1; }
done

# Windows readers expect CRLF line ends.
to_crlf() { sed 's/\r$//; s/$/\r/' "$@"; }

# source_of PACKAGE: the unpacked source folder of a Debian source package.
source_of() {
  local dir
  dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | sort | tail -n1)
  [ -n "$dir" ] || { echo "make-release: no $1 source under $SRC" >&2; exit 1; }
  echo "$dir"
}

# licence NAME PACKAGE FILES...: one text with the library's own licence files.
licence() {
  local name=$1 dir; dir=$(source_of "$2"); shift 2
  {
    echo "$name, as linked into ZELIMAGE.DLL (Debian source package $(basename "$dir"))"
    echo
    local f
    for f in "$@"; do
      [ -f "$dir/$f" ] || { echo "make-release: $dir/$f missing" >&2; exit 1; }
      echo "==== $f ===="
      echo
      cat "$dir/$f"
      echo
    done
  } | to_crlf >"$STAGE/Licenses/$name.txt"
}

STAGE="$OUT/$STEM"
rm -rf "$STAGE"
mkdir -p "$STAGE/ZELIMAGE" "$STAGE/Licenses"
cp "$DIST/Vistals.exe" "$STAGE/"
cp "$DIST/ZELIMAGE/ZELIMAGE.DLL" "$STAGE/ZELIMAGE/"
have_chm=no
if [ -f "$DIST/Vistals.chm" ]; then cp "$DIST/Vistals.chm" "$STAGE/"; have_chm=yes; fi
sed "s/@VERSION@/$VERSION/g" "$HERE/README.txt" | to_crlf >"$STAGE/README.txt"

licence libjpeg-turbo libjpeg-turbo LICENSE.md README.ijg
licence libpng libpng1.6 LICENSE
licence zlib zlib LICENSE
licence giflib giflib COPYING
# The compiler's runtime (C runtime start-up code and winpthreads) is linked
# statically into both files as well.
case "$NSIS_TARGET" in amd64-*) runtime=x86-64 ;; *) runtime=i686 ;; esac
runtime_copyright=/usr/share/doc/mingw-w64-$runtime-dev/copyright
if [ -f "$runtime_copyright" ]; then
  { echo "mingw-w64 runtime, as linked into Vistals.exe and ZELIMAGE.DLL (Debian package mingw-w64-$runtime-dev)"
    echo; cat "$runtime_copyright"; } | to_crlf >"$STAGE/Licenses/mingw-w64-runtime.txt"
fi

if [ $installer_only = no ]; then
  rm -f "$OUT/$STEM-portable.zip"
  (cd "$STAGE" && zip -q -X -r "$OUT/$STEM-portable.zip" .)
fi

# The version resource wants four numbers: "3.00" becomes 3.0.0.0.
IFS=. read -r major minor patch _ <<<"$VERSION.0.0"
quad="$((10#$major)).$((10#${minor:-0})).$((10#${patch:-0})).0"
defines=(-DVERSION="$VERSION" -DVERSION_QUAD="$quad" -DTARGET="$NSIS_TARGET"
         -DSTAGE="$STAGE" -DICON="$HERE/../res/vistals.ico" -DOUTFILE="$OUT/$STEM-setup.exe")
[ $have_chm = yes ] && defines+=(-DHAVE_CHM)
makensis -V2 "${defines[@]}" "$HERE/Vistals.nsi" >"$OUT/$STEM-makensis.log" 2>&1 || {
  cat "$OUT/$STEM-makensis.log" >&2; exit 1; }
rm -rf "$STAGE" "$OUT/$STEM-makensis.log"
written="$OUT/$STEM-setup.exe"
[ $installer_only = no ] && written="$OUT/$STEM-portable.zip $written"
echo "make-release: wrote $written" >&2
