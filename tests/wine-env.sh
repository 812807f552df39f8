# Sourced by vistals.sh: a private Wine prefix and X display for running the
# program and its tests. Nothing here touches ~/.wine or the user's servers.

# vistals.sh chooses the Wine (32- or 64-bit) and sets these; a plain source
# of this file means the 32-bit one.
export WINEARCH=${WINEARCH:-win32}
export VISTALS_WINE=${VISTALS_WINE:-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko prompts

# A booted prefix kept as a template; every run copies it (hard links plus
# private registry files), which takes well under a second.
wine_template() {
  local template="$1"
  if [ -f "$template/.ready" ]; then return 0; fi
  rm -rf "$template"
  echo "vistals: preparing a Wine prefix (once)..." >&2
  WINEPREFIX="$template" "$VISTALS_WINE" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$VISTALS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Run every program in a 1024x768 virtual desktop with a taskbar, so the
  # tray and the wallpaper behave as on a Windows desktop.
  WINEPREFIX="$template" "$VISTALS_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  WINEPREFIX="$template" "$VISTALS_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
  WINEPREFIX="$template" wineserver -w
  touch "$template/.ready"
}

wine_fresh_prefix() {
  local template="$1" prefix="$2"
  rm -rf "$prefix"
  cp -al "$template" "$prefix"
  local reg
  for reg in "$prefix"/*.reg; do
    cp --remove-destination "$template/$(basename "$reg")" "$reg"
  done
  rm -f "$prefix/.ready"
}

# Starts a private Xvfb; prints its display. Its pid goes to $1.
start_xvfb() {
  local pidfile="$1" n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$pidfile"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n"; return 0; }
      sleep 0.1
    done
    kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  return 1
}

# Starts Wine's services and the desktop (with its taskbar) detached from our
# output: programs started later must not hand them a pipe that a caller such
# as CTest waits on.
wine_warm_up() {
  "$VISTALS_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  ("$VISTALS_WINE" explorer.exe /desktop=shell,1024x768 </dev/null >/dev/null 2>&1 &)
  local i
  for i in $(seq 1 50); do
    pgrep -f 'explorer.exe /desktop' >/dev/null && break
    sleep 0.1
  done
  sleep 0.5
}
