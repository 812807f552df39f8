#!/usr/bin/env bash
# Vistals developer entry point: setup, build, run, test, bench, fuzz, dist.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
BUILD="$ROOT/build"

APT_PACKAGES=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools cmake ninja-build nasm pkgconf
  wine wine32:i386 wine64 xvfb xdotool x11-apps imagemagick
  googletest clang libclang-rt-14-dev dpkg-dev
  libgtest-dev time bc fp-utils p7zip-full
  nsis zip
  xserver-xephyr libxinerama1:i386 libxinerama1
)

have_all_packages() {
  local p
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 1
  done
}

# The codec library's third-party sources come from Debian's source packages.
has_deb_src() {
  grep -qsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
}

enable_deb_src() {
  has_deb_src && return 0
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/vistals-src.list
  fi
  return 0
}

cmd_setup() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  if ! have_all_packages || ! has_deb_src; then
    enable_deb_src
    echo "vistals: installing build and test tools (once)..." >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null
    apt-get install -y -qq --no-install-recommends "${APT_PACKAGES[@]}" >/dev/null
  fi
}

# The product is the 32-bit build. Wine runs it only where the kernel runs
# 32-bit code; elsewhere the program, its library and its tests are also built
# for 64-bit Windows and run under 64-bit Wine (VISTALS_TEST_ARCH overrides).
test_arch() {
  if [ -n "${VISTALS_TEST_ARCH:-}" ]; then echo "$VISTALS_TEST_ARCH"
  elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then echo i686
  else echo x86_64
  fi
}

# build_arch ARCH: builds build/mingw[-x64] into build/dist[-x64].
build_arch() {
  local arch=$1 suffix="" mode=cross
  [ "$arch" = x86_64 ] && { suffix=-x64; mode=cross64; }
  if [ -x "$ROOT/zelimage/thirdparty/build.sh" ]; then
    "$ROOT/zelimage/thirdparty/build.sh" "$BUILD/thirdparty" "$mode"
  fi
  if [ ! -f "$BUILD/mingw$suffix/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD/mingw$suffix" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
      -DVISTALS_DIST_DIR="$BUILD/dist$suffix" -DVISTALS_THIRDPARTY_DIR="$BUILD/thirdparty" >/dev/null
  fi
  cmake --build "$BUILD/mingw$suffix" -j "$(nproc)"
}

cmd_build() {
  cmd_setup
  build_arch i686
}

# Builds what runs under Wine here and points the session at it.
build_for_wine() {
  cmd_build
  TEST_ARCH=$(test_arch)
  if [ "$TEST_ARCH" = x86_64 ]; then
    build_arch x86_64
    TEST_BUILD="$BUILD/mingw-x64"; TEST_DIST="$BUILD/dist-x64"
    export VISTALS_WINE=/usr/lib/wine/wine64 WINEARCH=win64
  else
    TEST_BUILD="$BUILD/mingw"; TEST_DIST="$BUILD/dist"
    export VISTALS_WINE=wine WINEARCH=win32
  fi
}

XVFB_PID=""
cleanup_session() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

# A fresh prefix from the template, a display, and a persistent wineserver.
start_session() {
  local name="$1" want_own_display="$2"
  . "$ROOT/tests/wine-env.sh"
  wine_template "$BUILD/wine-template-$WINEARCH"
  export WINEPREFIX="$BUILD/$name"
  wine_fresh_prefix "$BUILD/wine-template-$WINEARCH" "$WINEPREFIX"
  if [ "$want_own_display" = yes ] || [ -z "${DISPLAY:-}" ]; then
    local display
    display=$(start_xvfb "$BUILD/$name.xvfb.pid") || { echo "vistals: cannot start Xvfb" >&2; exit 1; }
    XVFB_PID=$(cat "$BUILD/$name.xvfb.pid")
    export DISPLAY="$display"
  fi
  trap cleanup_session EXIT
  wineserver -p
  wine_warm_up
}

cmd_test() {
  build_for_wine
  start_session wine-test yes
  local status=0
  (cd "$TEST_BUILD" && ctest --output-on-failure --timeout 600 "$@") || status=$?
  cleanup_session
  return $status
}

sample_pictures() {
  local dir="$BUILD/samples"
  if [ ! -f "$dir/.ready" ]; then
    mkdir -p "$dir"
    convert -size 1600x1200 gradient:'#1d3b5a-#e8a86b' -fill '#f4d35e' -draw 'circle 1150,420 1150,330' \
      -fill '#203a2c' -draw 'polygon 0,1200 0,900 350,700 700,950 1000,760 1600,1000 1600,1200' "$dir/dusk.jpg"
    convert -size 1280x800 plasma:'#2a6f97-#a9d6e5' -blur 0x3 "$dir/sea.png"
    convert -size 300x200 pattern:checkerboard -fill '#c0392b' -colorize 40 "$dir/tiles.bmp"
    touch "$dir/.ready"
  fi
  echo "$dir"
}

cmd_run() {
  build_for_wine
  local pictures=("$@")
  if [ ${#pictures[@]} -eq 0 ]; then
    local dir; dir=$(sample_pictures)
    pictures=("$dir/dusk.jpg" "$dir/sea.png" "$dir/tiles.bmp")
  fi
  local own_display=no
  [ -z "${DISPLAY:-}" ] && own_display=yes
  start_session wine-run "$own_display"
  local args=() p
  for p in "${pictures[@]}"; do args+=("$("$VISTALS_WINE" winepath -w "$(readlink -f "$p")" 2>/dev/null)"); done
  echo "vistals: running on display $DISPLAY (prefix $WINEPREFIX); close it with Exit in its tray menu" >&2
  if [ "$own_display" = yes ]; then
    echo "vistals: no X display of yours; see the screen with:  DISPLAY=$DISPLAY import -window root /tmp/vistals.png" >&2
  fi
  # The prefix puts every program in a 1024x768 desktop with a taskbar.
  "$VISTALS_WINE" "$TEST_DIST/Vistals.exe" "${args[@]}" || true
}

cmd_bench() {
  build_for_wine
  start_session wine-bench yes
  ZEL_DIST_DIR="$TEST_DIST" ZEL_BENCH_EXE="$TEST_BUILD/tools/zelimage_bench.exe" \
    "$ROOT/zelimage/tools/bench.sh" "$BUILD" "$@"
}

cmd_conformance() {
  build_for_wine
  start_session wine-conformance yes
  ZEL_DIST_DIR="$TEST_DIST" ZEL_CONFORMANCE_EXE="$TEST_BUILD/tools/zelimage_conformance.exe" \
    "$ROOT/zelimage/tools/conformance.sh" "$BUILD"
}

# The release, made from the 32-bit product: build/release/Vistals-<version>-
# portable.zip and Vistals-<version>-setup.exe (the version is the project's).
cmd_dist() {
  cmd_build
  cmake -DVISTALS_RELEASE_DIR="$BUILD/release" "$BUILD/mingw" >/dev/null
  cmake --build "$BUILD/mingw" --target dist
}

# Pictures of the running program for the README (docs/screenshots.sh).
cmd_screenshots() {
  build_for_wine
  start_session wine-screenshots yes
  VISTALS_TEST_DIST="$TEST_DIST" VISTALS_PROBE="$TEST_BUILD/tests-bin/window_probe.exe" \
    VISTALS_SAMPLES="$(sample_pictures)" "$ROOT/docs/screenshots.sh" "$@"
}

# The long run under Wine (tests/soak): N commands, 300 unless given.
cmd_soak() {
  build_for_wine
  cmake --build "$TEST_BUILD" --target soak_driver
  start_session wine-soak yes
  "$ROOT/tests/soak/soak.sh" "$BUILD" "$TEST_BUILD" "${1:-300}"
}

# The random-action run (tests/monkey): ACTIONS steps (5000 unless given)
# chosen from SEED (from the clock unless given); the same two numbers
# replay a failure.
cmd_monkey() {
  local actions="${1:-5000}" seed="${2:-$(date +%s)}"
  build_for_wine
  cmake --build "$TEST_BUILD" --target monkey
  # A prefix of its own per seed, so that runs of several seeds can go side by side.
  start_session "wine-monkey-$seed" yes
  local samples; samples=$(sample_pictures)
  local shot="$BUILD/monkey-$seed.png" status
  rm -f "$shot"
  # The run waits a moment after a failure, with the program still on
  # screen, for the picture taken here.
  "$VISTALS_WINE" "$TEST_BUILD/tests-bin/monkey.exe" "$actions" "$seed" \
    "$("$VISTALS_WINE" winepath -w "$samples" 2>/dev/null)" </dev/null | {
      while IFS= read -r line; do
        printf '%s\n' "$line"
        case "$line" in *"the windows on screen:"*) import -window root "$shot" 2>/dev/null & ;; esac
      done
      wait
    } && status=0 || status=${PIPESTATUS[0]}
  [ -f "$shot" ] && echo "monkey: the screen then: $shot"
  return "$status"
}

cmd_fuzz() {
  cmd_setup
  "$ROOT/zelimage/tools/fuzz.sh" "$BUILD" "${1:-60}"
}

usage() {
  echo "usage: $0 {setup|build|run [pictures...]|test [ctest args]|bench|soak [N]|monkey [ACTIONS] [SEED]|fuzz SECONDS|conformance|dist|screenshots}" >&2
  exit 2
}

command="${1:-}"
[ $# -gt 0 ] && shift
case "$command" in
  setup) cmd_setup ;;
  build) cmd_build ;;
  run) cmd_run "$@" ;;
  test) cmd_test "$@" ;;
  bench) cmd_bench "$@" ;;
  soak) cmd_soak "$@" ;;
  monkey) cmd_monkey "$@" ;;
  fuzz) cmd_fuzz "$@" ;;
  conformance) cmd_conformance ;;
  dist) cmd_dist ;;
  screenshots) cmd_screenshots "$@" ;;
  *) usage ;;
esac
