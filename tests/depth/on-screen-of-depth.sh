#!/usr/bin/env bash
# Runs one test program on a screen of another colour depth: a private Xvfb
# of DEPTH bits, a private copy of the template prefix with its own Wine
# server and desktop. CTest calls it inside the session vistals.sh prepared.
#
#   on-screen-of-depth.sh DEPTH TEST_PROGRAM [arguments...]
set -u
: "${WINEPREFIX:?run the tests through ./vistals.sh test}"
DEPTH=$1; shift
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../wine-env.sh"
template="$(dirname "$WINEPREFIX")/wine-template-$WINEARCH"
own_prefix="$WINEPREFIX-depth$DEPTH"
xvfb_pid=""
cleanup() {
  WINEPREFIX="$own_prefix" wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$own_prefix"
}
trap cleanup EXIT

display=""
for n in $(seq 141 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 "1024x768x$DEPTH" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && { display=":$n"; break; }
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb_pid" 2>/dev/null; xvfb_pid=""
done
[ -n "$display" ] || { echo "no Xvfb of depth $DEPTH" >&2; exit 1; }

export DISPLAY="$display" WINEPREFIX="$own_prefix"
wine_fresh_prefix "$template" "$WINEPREFIX"
wineserver -p
wine_warm_up
"$VISTALS_WINE" "$@"
