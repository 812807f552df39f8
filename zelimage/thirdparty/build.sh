#!/usr/bin/env bash
# Cross-builds the decoders ZELIMAGE.DLL links statically: zlib, libpng,
# giflib and libjpeg-turbo, from Debian's own source packages.
#
#   build.sh OUT_DIR [cross|cross64|native]
#
# Installs headers and static libraries into OUT_DIR/prefix for 32-bit
# Windows (the product), OUT_DIR/prefix-x64 for 64-bit Windows (the test
# build on hosts that cannot run 32-bit code), or OUT_DIR/prefix-native for
# the host compiler, used by the fuzzers.
# A finished library leaves a stamp naming its source version and its recipe
# (flags and our own sources), so a second run with the same ones does nothing
# and a changed recipe rebuilds.
set -euo pipefail

OUT=$(mkdir -p "$1" && cd "$1" && pwd)
MODE=${2:-cross}
HERE=$(cd "$(dirname "$0")" && pwd)
SRC="$OUT/src"
if [ "$MODE" = native ]; then
  PREFIX="$OUT/prefix-native"; WORK="$OUT/work-native"
  CC=${NATIVE_CC:-clang}; AR=ar; RANLIB=ranlib
  CMAKE_TOOLCHAIN=()
  SIMD_CFLAGS=""
elif [ "$MODE" = cross64 ]; then
  PREFIX="$OUT/prefix-x64"; WORK="$OUT/work-x64"
  CC=x86_64-w64-mingw32-gcc-posix; AR=x86_64-w64-mingw32-ar; RANLIB=x86_64-w64-mingw32-ranlib
  CMAKE_TOOLCHAIN=(-DCMAKE_TOOLCHAIN_FILE="$HERE/../../cmake/mingw-x86_64.cmake")
  SIMD_CFLAGS=""         # SSE2 is part of x86-64
else
  PREFIX="$OUT/prefix"; WORK="$OUT/work"
  CC=i686-w64-mingw32-gcc-posix; AR=i686-w64-mingw32-ar; RANLIB=i686-w64-mingw32-ranlib
  CMAKE_TOOLCHAIN=(-DCMAKE_TOOLCHAIN_FILE="$HERE/../../cmake/mingw-i686.cmake")
  SIMD_CFLAGS="-msse2"   # the DLL needs SSE2 anyway (its own code is built for it)
fi
CFLAGS_COMMON="-O2 ${EXTRA_CFLAGS:-}"
mkdir -p "$SRC" "$PREFIX/include" "$PREFIX/lib" "$WORK"

# source_dir PACKAGE: unpacks the Debian source package once, prints its folder.
source_dir() {
  local pkg=$1 dir
  dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | sort | tail -n1)
  if [ -z "$dir" ]; then
    # Newest first; a mirror may lack one pool (security updates), so fall
    # back to the other versions the source lists know.
    local v fetched=no
    for v in "" $(apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vr -u); do
      if (cd "$SRC" && apt-get source -qq "$pkg${v:+=$v}" >/dev/null 2>>"$SRC/$pkg.log"); then
        fetched=yes; break
      fi
    done
    if [ $fetched = no ]; then
      echo "thirdparty: apt-get source $pkg failed (run ./vistals.sh setup; see $SRC/$pkg.log)" >&2
      exit 1
    fi
    dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | sort | tail -n1)
  fi
  echo "$dir"
}

# recipe TEXT [FILES...]: a short digest of a library's flags and our own sources.
recipe() { { echo "$1"; shift; [ $# -eq 0 ] || cat "$@"; } | sha1sum | cut -c1-10; }
stamp_of() { echo "$PREFIX/.stamp-$1-$(basename "$2")${3:+-$3}"; }
done_already() { [ -f "$(stamp_of "$@")" ]; }
mark_done() { rm -f "$PREFIX"/.stamp-"$1"-*; touch "$(stamp_of "$@")"; }

# compile_archive NAME OUTLIB INCLUDEDIR SOURCES...: plain C sources into one static library.
compile_archive() {
  local name=$1 lib=$2 inc=$3; shift 3
  local objdir="$WORK/$name"; rm -rf "$objdir"; mkdir -p "$objdir"
  local objs=() s o
  for s in "$@"; do
    o="$objdir/$(basename "${s%.c}").o"
    $CC $CFLAGS_COMMON -I"$inc" -I"$PREFIX/include" -c "$s" -o "$o"
    objs+=("$o")
  done
  rm -f "$PREFIX/lib/$lib"
  $AR rc "$PREFIX/lib/$lib" "${objs[@]}"
  $RANLIB "$PREFIX/lib/$lib"
}

build_zlib() {
  local d; d=$(source_dir zlib)
  done_already zlib "$d" && return 0
  echo "thirdparty: zlib" >&2
  compile_archive zlib libz.a "$d" \
    "$d"/{adler32,compress,crc32,deflate,gzclose,gzlib,gzread,gzwrite,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c
  cp "$d/zlib.h" "$d/zconf.h" "$PREFIX/include/"
  mark_done zlib "$d"
}

# With libpng's SSE2 row filters; PngFilters.c stands in for intel/intel_init.c
# and adds the 16-bit pixel sizes libpng leaves to plain C, and an SSE4.1
# Paeth (PngFiltersSse41.c) for processors that have it.
build_libpng() {
  local d; d=$(source_dir libpng1.6)
  local flags="$SIMD_CFLAGS -DPNG_INTEL_SSE" sse41=no
  case "$($CC -dumpmachine)" in i?86-*|x86_64-*) sse41=yes; flags="$flags -DZEL_PNG_SSE41" ;; esac
  local id; id=$(recipe "$CFLAGS_COMMON $flags" "$HERE/PngFilters.c" "$HERE/PngFiltersSse41.c")
  done_already libpng "$d" "$id" && return 0
  echo "thirdparty: libpng" >&2
  cp "$d/scripts/pnglibconf.h.prebuilt" "$d/pnglibconf.h"
  CFLAGS_COMMON="$CFLAGS_COMMON $flags" compile_archive libpng libpng.a "$d" \
    "$d"/{png,pngerror,pngget,pngmem,pngpread,pngread,pngrio,pngrtran,pngrutil,pngset,pngtrans,pngwio,pngwrite,pngwtran,pngwutil}.c \
    "$d/intel/filter_sse2_intrinsics.c" "$HERE/PngFilters.c"
  if [ $sse41 = yes ]; then
    # Only this object's Paeth runs, and only where the processor has SSE4.1.
    $CC $CFLAGS_COMMON $flags -msse4.1 -I"$d" -I"$PREFIX/include" -c "$HERE/PngFiltersSse41.c" \
      -o "$WORK/libpng/PngFiltersSse41.o"
    $AR r "$PREFIX/lib/libpng.a" "$WORK/libpng/PngFiltersSse41.o"
    $RANLIB "$PREFIX/lib/libpng.a"
  fi
  cp "$d/png.h" "$d/pngconf.h" "$d/pnglibconf.h" "$PREFIX/include/"
  mark_done libpng "$d" "$id"
}

build_giflib() {
  local d; d=$(source_dir giflib)
  done_already giflib "$d" && return 0
  echo "thirdparty: giflib" >&2
  compile_archive giflib libgif.a "$d" \
    "$d"/{dgif_lib,egif_lib,gifalloc,gif_err,gif_font,gif_hash,openbsd-reallocarray,quantize}.c
  cp "$d/gif_lib.h" "$PREFIX/include/"
  mark_done giflib "$d"
}

build_libjpeg_turbo() {
  local d; d=$(source_dir libjpeg-turbo)
  done_already libjpeg-turbo "$d" && return 0
  echo "thirdparty: libjpeg-turbo" >&2
  local b="$WORK/libjpeg-turbo"; rm -rf "$b"
  local simd=ON
  [ "$MODE" = native ] && [ -n "${EXTRA_CFLAGS:-}" ] && simd=OFF   # sanitizers do not see into SIMD code
  cmake -S "$d" -B "$b" -G Ninja "${CMAKE_TOOLCHAIN[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DCMAKE_C_COMPILER="$CC" -DCMAKE_C_FLAGS="${EXTRA_CFLAGS:-}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=$simd \
    -DREQUIRE_SIMD=$simd -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_INSTALL_LIBDIR=lib \
    >"$WORK/libjpeg-turbo.log" 2>&1
  cmake --build "$b" -j2 --target jpeg-static >>"$WORK/libjpeg-turbo.log" 2>&1
  cp "$b/libjpeg.a" "$PREFIX/lib/libjpeg.a"
  cp "$d/jpeglib.h" "$d/jmorecfg.h" "$d/jerror.h" "$b/jconfig.h" "$PREFIX/include/"
  mark_done libjpeg-turbo "$d"
}

build_zlib
build_libpng
build_giflib
build_libjpeg_turbo
