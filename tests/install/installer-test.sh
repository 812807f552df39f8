#!/usr/bin/env bash
# The installer as a user meets it, in a fresh Wine prefix on a display of its
# own: a silent install, the installed program started, a silent install over
# the running copy, and a silent uninstall of the running program.
#
#   installer-test.sh SETUP.exe window_probe.exe DIST_DIR VERSION
#
# Run by CTest inside `./vistals.sh test`, which chose the Wine and prepared
# the template prefix.
set -uo pipefail
SETUP=$1 PROBE=$2 DIST=$3 VERSION=$4
HERE=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?run the tests through ./vistals.sh test}"
. "$HERE/../wine-env.sh"

template=${VISTALS_WINE_TEMPLATE:-$(dirname "$WINEPREFIX")/wine-template-$WINEARCH}
wine_template "$template"
work=$(mktemp -d "$(dirname "$WINEPREFIX")/installer-test.XXXXXX")
export WINEPREFIX="$work/prefix"
wine_fresh_prefix "$template" "$WINEPREFIX"
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
DISPLAY=$(start_xvfb "$work/xvfb.pid") || { echo "cannot start Xvfb" >&2; exit 1; }
export DISPLAY
xvfb_pid=$(cat "$work/xvfb.pid")
wineserver -p
wine_warm_up

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
stop() { echo "FAIL: $*" >&2; echo "installer test: stopped after $((failures + 1)) failure(s)" >&2; exit 1; }
w() { "$VISTALS_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
probe() { w "$PROBE" "$@"; }

# reg_value KEY NAME: the value's data as `reg query` shows it; status 1 when missing.
reg_value() {
  local line
  line=$(w reg query "$1" /v "$2" | grep -i "^ *$2 \+REG_") || return 1
  sed -E 's/^ *[^ ]+ +REG_[A-Z_]+ *//' <<<"$line"
}
reg_key_exists() { w reg query "$1" >/dev/null; }
expect_value() {  # KEY NAME EXPECTED
  local got; got=$(reg_value "$1" "$2") || { fail "$1 has no value $2"; return; }
  [ "$got" = "$3" ] || fail "$1 $2 is '$got', expected '$3'"
}
unix_path() { w winepath -u "$1"; }
same_path() { [ "${1,,}" = "${2,,}" ]; }

# No dialog box may appear while the installer or uninstaller works; one
# would also stop a silent run for good.
expect_no_boxes() {
  local boxes; boxes=$(probe boxes)
  [ -z "$boxes" ] || fail "$1 showed a dialog box: $boxes"
}

# run_watched SECONDS COMMAND...: runs it, watching for dialog boxes; its status.
run_watched() {
  local limit=$1; shift
  "$VISTALS_WINE" "$@" </dev/null >/dev/null 2>&1 &
  local pid=$! waited=0
  while kill -0 "$pid" 2>/dev/null; do
    local boxes; boxes=$(probe boxes)
    [ -z "$boxes" ] || stop "$(basename "$1") showed a dialog box: $boxes"
    [ $waited -lt $((limit * 4)) ] || stop "$(basename "$1") still runs after ${limit}s"
    sleep 0.25; waited=$((waited + 1))
  done
  wait "$pid"
}

start_installed_program() {
  ("$VISTALS_WINE" "$PROGRAM_UNIX" </dev/null >/dev/null 2>&1 &)
  probe wait-tray 20000
}

UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistals'
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
SETTINGS_KEY='HKCU\Software\Corvane Software\Vistals'
local_appdata=$(w cmd /c echo %LOCALAPPDATA%) appdata=$(w cmd /c echo %APPDATA%)
[[ "$local_appdata" == ?:\\* && "$appdata" == ?:\\* ]] || stop "cannot read the prefix's user folders"
INSTDIR="$local_appdata\Programs\Vistals"
SHORTCUT="$appdata\Microsoft\Windows\Start Menu\Programs\Vistals.lnk"

echo "== silent install" >&2
run_watched 120 "$SETUP" /S || stop "the installer failed (status $?)"
INSTDIR_UNIX=$(unix_path "$INSTDIR")
PROGRAM_UNIX="$INSTDIR_UNIX/Vistals.exe"
cmp -s "$DIST/Vistals.exe" "$PROGRAM_UNIX" || fail "Vistals.exe is not the built program"
cmp -s "$DIST/ZELIMAGE/ZELIMAGE.DLL" "$INSTDIR_UNIX/ZELIMAGE/ZELIMAGE.DLL" || fail "ZELIMAGE\\ZELIMAGE.DLL is not the built library"
if [ -f "$DIST/Vistals.chm" ]; then
  cmp -s "$DIST/Vistals.chm" "$INSTDIR_UNIX/Vistals.chm" || fail "Vistals.chm is not the built help file"
fi
for lib in libjpeg-turbo libpng zlib giflib; do
  grep -qi "copyright" "$INSTDIR_UNIX/Licenses/$lib.txt" 2>/dev/null || fail "no licence text for $lib"
done
[ -f "$INSTDIR_UNIX/Uninstall.exe" ] || fail "no Uninstall.exe"
[ -f "$(unix_path "$SHORTCUT")" ] || fail "no Start menu shortcut"
target=$(probe shortcut "$SHORTCUT")
same_path "$target" "$INSTDIR\\Vistals.exe" || fail "the shortcut starts '$target'"
expect_value "$RUN_KEY" Vistals "\"$INSTDIR\\Vistals.exe\""
expect_value "$UNINSTALL_KEY" DisplayName "Vistals"
expect_value "$UNINSTALL_KEY" DisplayVersion "$VERSION"
expect_value "$UNINSTALL_KEY" Publisher "Corvane Software"
expect_value "$UNINSTALL_KEY" DisplayIcon "$INSTDIR\\Vistals.exe,0"
expect_value "$UNINSTALL_KEY" UninstallString "\"$INSTDIR\\Uninstall.exe\""
size_kb=$(($(reg_value "$UNINSTALL_KEY" EstimatedSize || echo 0)))
files_kb=$(du -sk --apparent-size "$INSTDIR_UNIX" | cut -f1)
[ "$size_kb" -ge $((files_kb * 9 / 10)) ] && [ "$size_kb" -le $((files_kb * 11 / 10 + 8)) ] ||
  fail "EstimatedSize is $size_kb KB for $files_kb KB of files"

echo "== the installed program starts" >&2
# An older copy: the same program with a byte more at its end.
printf 'x' >>"$PROGRAM_UNIX"
first=$(start_installed_program) || stop "the installed program shows no tray icon"

echo "== silent install over the running copy" >&2
# The user had turned the start at log-on off; an update keeps that.
w reg delete "$RUN_KEY" /v Vistals /f >/dev/null
run_watched 120 "$SETUP" /S || stop "the installer over the running copy failed (status $?)"
reg_value "$RUN_KEY" Vistals >/dev/null && fail "the update turned the start at log-on on again"
probe alive "$first" && fail "the running copy was not closed"
cmp -s "$DIST/Vistals.exe" "$PROGRAM_UNIX" || fail "the running copy's Vistals.exe was not replaced"
# The program saves its settings only on its way out through Exit.
reg_value "$SETTINGS_KEY" VistalPosition >/dev/null || fail "the closed copy did not save its settings"
second=$(probe wait-tray 20000) || fail "the silent update did not start Vistals again"

echo "== silent uninstall of the running program" >&2
uninstaller=$(reg_value "$UNINSTALL_KEY" UninstallString) || stop "no UninstallString"
uninstaller=${uninstaller//\"/}
run_watched 60 "$(unix_path "$uninstaller")" /S || fail "the uninstaller failed (status $?)"
# The uninstaller works on from a copy of itself after it returns.
for _ in $(seq 1 120); do
  reg_key_exists "$UNINSTALL_KEY" || [ -e "$INSTDIR_UNIX" ] || break
  expect_no_boxes "the uninstaller"
  sleep 0.25
done
[ -n "${second:-}" ] && probe alive "$second" && fail "the uninstaller left Vistals running"
[ -e "$INSTDIR_UNIX" ] && fail "the program folder is still there: $(ls -R "$INSTDIR_UNIX" | tr '\n' ' ')"
[ -e "$(unix_path "$SHORTCUT")" ] && fail "the Start menu shortcut is still there"
reg_value "$RUN_KEY" Vistals >/dev/null && fail "the Run value is still there"
reg_key_exists "$UNINSTALL_KEY" && fail "the uninstall entry is still there"
reg_value "$SETTINGS_KEY" VistalPosition >/dev/null || fail "the settings were not kept"
expect_no_boxes "the uninstaller"

[ $failures -eq 0 ] || { echo "installer test: $failures failure(s)" >&2; exit 1; }
echo "installer test: passed" >&2
