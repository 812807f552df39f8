#!/usr/bin/env bash
# Vistals developer entry point: setup, build, run, test, bench, fuzz.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
BUILD="$ROOT/build"

APT_PACKAGES=(
  g++-mingw-w64-i686 mingw-w64-tools cmake ninja-build nasm pkgconf
  wine wine32:i386 xvfb xdotool x11-apps imagemagick
  googletest clang libclang-rt-14-dev dpkg-dev
  libgtest-dev time bc fp-utils p7zip-full
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

cmd_build() {
  cmd_setup
  if [ -x "$ROOT/zelimage/thirdparty/build.sh" ]; then
    "$ROOT/zelimage/thirdparty/build.sh" "$BUILD/thirdparty"
  fi
  if [ ! -f "$BUILD/mingw/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD/mingw" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
      -DVISTALS_DIST_DIR="$BUILD/dist" -DVISTALS_THIRDPARTY_DIR="$BUILD/thirdparty" >/dev/null
  fi
  cmake --build "$BUILD/mingw" -j "$(nproc)"
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
  wine_template "$BUILD/wine-template"
  export WINEPREFIX="$BUILD/$name"
  wine_fresh_prefix "$BUILD/wine-template" "$WINEPREFIX"
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
  cmd_build
  start_session wine-test yes
  local status=0
  (cd "$BUILD/mingw" && ctest --output-on-failure --timeout 600 "$@") || status=$?
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
  cmd_build
  local pictures=("$@")
  if [ ${#pictures[@]} -eq 0 ]; then
    local dir; dir=$(sample_pictures)
    pictures=("$dir/dusk.jpg" "$dir/sea.png" "$dir/tiles.bmp")
  fi
  local own_display=no
  [ -z "${DISPLAY:-}" ] && own_display=yes
  start_session wine-run "$own_display"
  local args=() p
  for p in "${pictures[@]}"; do args+=("$(winepath -w "$(readlink -f "$p")" 2>/dev/null)"); done
  echo "vistals: running on display $DISPLAY (prefix $WINEPREFIX); close it with Exit in its tray menu" >&2
  if [ "$own_display" = yes ]; then
    echo "vistals: no X display of yours; see the screen with:  DISPLAY=$DISPLAY import -window root /tmp/vistals.png" >&2
  fi
  # The prefix puts every program in a 1024x768 desktop with a taskbar.
  wine "$BUILD/dist/Vistals.exe" "${args[@]}" || true
}

cmd_bench() {
  cmd_build
  start_session wine-bench yes
  "$ROOT/zelimage/tools/bench.sh" "$BUILD" "$@"
}

cmd_fuzz() {
  cmd_setup
  "$ROOT/zelimage/tools/fuzz.sh" "$BUILD" "${1:-60}"
}

usage() {
  echo "usage: $0 {setup|build|run [pictures...]|test [ctest args]|bench|fuzz SECONDS}" >&2
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
  fuzz) cmd_fuzz "$@" ;;
  *) usage ;;
esac
