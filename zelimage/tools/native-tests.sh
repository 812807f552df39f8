#!/usr/bin/env bash
# Builds the portable core, the decoders and their tests natively with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, and runs them.
#
#   native-tests.sh BUILD_DIR [gtest arguments]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ZEL=$(cd "$HERE/.." && pwd)
BUILD=$(mkdir -p "$1" && cd "$1" && pwd); shift
SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
EXTRA_CFLAGS="-g $SANITIZE" NATIVE_CC=clang "$ZEL/thirdparty/build.sh" "$BUILD/thirdparty" native >&2
PREFIX="$BUILD/thirdparty/prefix-native"
OUT="$BUILD/zelimage-native"
mkdir -p "$OUT"
sources=("$ZEL"/core/*.cpp "$ZEL"/codecs/*.cpp "$ZEL"/tests/TestImages.cpp "$ZEL"/tests/core/*.cpp)
objects=()
for s in "${sources[@]}"; do
  o="$OUT/$(echo "${s#$ZEL/}" | tr / _).o"
  if [ ! -f "$o" ] || [ "$s" -nt "$o" ] || [ -n "$(find "$ZEL/core" "$ZEL/codecs" "$ZEL/tests" -name '*.h' -newer "$o" -print -quit)" ]; then
    clang++ -std=c++17 -O1 -g $SANITIZE -I"$PREFIX/include" -c "$s" -o "$o"
  fi
  objects+=("$o")
done
clang++ $SANITIZE "${objects[@]}" -o "$OUT/zelimage_core_tests" \
  "$PREFIX/lib/libpng.a" "$PREFIX/lib/libz.a" "$PREFIX/lib/libjpeg.a" "$PREFIX/lib/libgif.a" \
  -lgtest -lgtest_main -pthread
# No picture in the tests needs a block of 256 MB: a larger request comes
# from a header's claim and stops the run.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}max_allocation_size_mb=256:allocator_may_return_null=0" \
  "$OUT/zelimage_core_tests" "$@"
