#!/usr/bin/env bash
# Runs one test program on two monitors: a private Xvfb holds a Xephyr with
# two Xinerama heads, 1280x1024 left of 1920x1200, and a private copy of the
# template prefix has Wine read them without a virtual desktop, the right
# head as the primary. Wine then reports \\.\DISPLAY1 0,0-1920,1200
# (primary) and \\.\DISPLAY2 -1280,0-0,1024. CTest calls it inside the
# session vistals.sh prepared.
#
#   on-two-monitors.sh TEST_PROGRAM [arguments...]
set -u
: "${WINEPREFIX:?run the tests through ./vistals.sh test}"
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../wine-env.sh"
template="$(dirname "$WINEPREFIX")/wine-template-$WINEARCH"
own_prefix="$WINEPREFIX-two-monitors"
pids=()
cleanup() {
  WINEPREFIX="$own_prefix" wineserver -k >/dev/null 2>&1
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$own_prefix"
}
trap cleanup EXIT

# start_x DISPLAY_NUMBER COMMAND... : starts an X server, waits for its socket.
start_x() {
  local n=$1; shift
  "$@" >/dev/null 2>&1 &
  pids+=($!)
  local _
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  return 1
}

free_display() {
  local n
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return 0; }
  done
  return 1
}

outer=$(free_display 200 229) || { echo "no free display for Xvfb" >&2; exit 1; }
start_x "$outer" Xvfb ":$outer" -screen 0 3300x1300x24 -nolisten tcp || { echo "Xvfb did not start" >&2; exit 1; }
inner=$(free_display 230 259) || { echo "no free display for Xephyr" >&2; exit 1; }
DISPLAY=":$outer" start_x "$inner" Xephyr ":$inner" +xinerama -screen 1280x1024 -screen 1920x1200 -origin 1280,0 \
  -nolisten tcp || { echo "Xephyr did not start (package xserver-xephyr)" >&2; exit 1; }

export DISPLAY=":$inner" WINEPREFIX="$own_prefix"
wine_fresh_prefix "$template" "$WINEPREFIX"
"$VISTALS_WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
"$VISTALS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
"$VISTALS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v PrimaryMonitor /d 1 /f >/dev/null 2>&1
wineserver -k  # the driver reads these when the server starts
wineserver -w
wineserver -p
"$VISTALS_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1
"$VISTALS_WINE" "$@"
