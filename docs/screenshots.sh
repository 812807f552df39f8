#!/usr/bin/env bash
# Pictures of the real program for the README, taken under Wine on a private
# 1024x768 Xvfb desktop and saved as docs/*.png:
#
#   about.png            the About box shown at start-up
#   desktop.png          the desktop with a picture and its calendar
#   tray-menu.png        the tray menu
#   options-*.png        each page of the Options sheet
#   select-images.png    the Select Background Images dialog with two sets
#
#   docs/screenshots.sh [NAME...]   (all pictures, or only those named)
#
# It builds what is needed through `vistals.sh screenshots`. A picture whose
# window does not come up (a dialog not built yet) is reported and skipped;
# the others are still made.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${VISTALS_PROBE:-}" ]; then exec "$ROOT/vistals.sh" screenshots "$@"; fi
: "${WINEPREFIX:?}" "${DISPLAY:?}" "${VISTALS_TEST_DIST:?}" "${VISTALS_SAMPLES:?}"
OUT="$ROOT/docs"
wanted=("$@")
made=() skipped=()

w() { "$VISTALS_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
probe() { w "$VISTALS_PROBE" "$@"; }
want() { [ ${#wanted[@]} -eq 0 ] || [[ " ${wanted[*]} " == *" $1 "* ]]; }
# The tray menu's commands, by their names in res/resource.h.
command_id() { sed -n "s/^#define $1 \([0-9]*\).*/\1/p" "$ROOT/res/resource.h"; }

shoot_screen() {  # NAME
  import -window root "$OUT/$1.png"
  made+=("$1")
}
shoot_rect() {  # NAME X Y W H
  import -window root -crop "$4x$5+$2+$3" +repage "$OUT/$1.png"
  made+=("$1")
}
skip() { echo "screenshots: $1: $2; skipped" >&2; skipped+=("$1"); }

# The program in a folder of the prefix, with two sets and a calendar in the
# upper right corner; it shows the first picture at start-up.
program_dir="$WINEPREFIX/drive_c/Vistals"
pictures_dir="$WINEPREFIX/drive_c/Pictures"
rm -rf "$program_dir" "$pictures_dir"
cp -r "$VISTALS_TEST_DIST" "$program_dir"
rm -f "$program_dir/vistals.bmp"
mkdir -p "$pictures_dir"
cp "$VISTALS_SAMPLES"/{dusk.jpg,sea.png,tiles.bmp} "$pictures_dir/"
settings_reg="$WINEPREFIX/drive_c/vistals-screenshots.reg"
cat >"$settings_reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Corvane Software\Vistals]
"ShowFileName"=dword:00000001
"ShowTimeLeft"=dword:00000001
"VistalSetPeriodic"=dword:00000000
"VistalSetStartup"=dword:00000000
"VistalSetDays"=dword:00000001
"VistalSetHours"=dword:00000000
"VistalSetMinutes"=dword:00000000
"VistalPeriodic"=dword:00000001
"VistalStartup"=dword:00000001
"VistalDays"=dword:00000000
"VistalHours"=dword:00000001
"VistalMinutes"=dword:0000001e
"VistalPosition"=dword:00000002
"VistalCycleMethod"=dword:00000000
"VistalSetCycleMethod"=dword:00000000
"CalendarPosition"=dword:00000003
"CalendarWidth"=dword:000000dc
"CalendarHeight"=dword:000000b4
"CalendarMarginX"=dword:0000001e
"CalendarMarginY"=dword:0000001e
"CalendarGridLines"=dword:00000001
"CalendarUSHolidays"=dword:00000001
"CalendarTransparentBackground"=dword:00000001

[-HKEY_CURRENT_USER\Software\Corvane Software\Vistals\Image Sets]

[HKEY_CURRENT_USER\Software\Corvane Software\Vistals\Image Sets]
"SetCount"=dword:00000002
"SetIndex"=dword:00000000

[HKEY_CURRENT_USER\Software\Corvane Software\Vistals\Image Sets\Set0]
"ImageCount"=dword:00000002
"ImageIndex"=dword:ffffffff
"SetName"="Landscapes"
"I0"="C:\\Pictures\\dusk.jpg"
"I1"="C:\\Pictures\\sea.png"

[HKEY_CURRENT_USER\Software\Corvane Software\Vistals\Image Sets\Set1]
"ImageCount"=dword:00000001
"ImageIndex"=dword:ffffffff
"SetName"="Patterns"
"I0"="C:\\Pictures\\tiles.bmp"
EOF
w regedit /S 'C:\vistals-screenshots.reg'

# Started from the pictures' folder, where its file dialog opens.
(cd "$pictures_dir" && "$VISTALS_WINE" 'C:\Vistals\Vistals.exe' </dev/null >/dev/null 2>&1 &)
probe wait-tray 20000 >/dev/null || { echo "screenshots: Vistals did not start" >&2; exit 1; }

# The first picture: the wallpaper file appears and the desktop repaints,
# over the windows already open.
for _ in $(seq 1 100); do [ -f "$program_dir/vistals.bmp" ] && break; sleep 0.2; done
sleep 1.5
probe repaint || true
sleep 0.3

# The About box comes up at start-up; its Continue button closes it.
if about=$(probe wait-program-window 2000); then
  read -r x y _ _ <<<"$about"
  want about && shoot_rect about $about
  xdotool mousemove $((x + 219 + 49)) $((y + 393 + 18)) click 1
  for _ in $(seq 1 25); do probe wait-program-window 0 >/dev/null || break; sleep 0.2; done
  probe repaint || true
  sleep 0.3
else
  want about && skip about "no About box at start-up"
fi

if want desktop; then
  if [ -f "$program_dir/vistals.bmp" ]; then shoot_screen desktop; else skip desktop "no wallpaper was made"; fi
fi

if want tray-menu; then
  xdotool mousemove 1013 758 click 3
  if menu=$(probe wait-menu 5000); then
    read -r x y _ _ <<<"$menu"
    xdotool mousemove 600 400   # away from the icon, whose tooltip would cover the menu
    sleep 0.8
    # The menu with the tray icon below it.
    left=$((x > 12 ? x - 12 : 0)) top=$((y > 12 ? y - 12 : 0))
    shoot_rect tray-menu "$left" "$top" $((1024 - left)) $((768 - top))
    xdotool mousemove 400 300 click 1
  else
    skip tray-menu "the menu did not open"
  fi
fi

# dialog_shots TITLE COMMAND NAME [PAGE_NAMES...]: opens the dialog through
# its tray command and takes it, page by page for a property sheet.
dialog_shots() {
  local title=$1 command=$2 name=$3; shift 3
  local pages=("$@") any=no p
  want "$name" && any=yes
  for p in "${pages[@]}"; do want "$name-$p" && any=yes; done
  [ $any = yes ] || return 0
  probe command "$(command_id "$command")"
  local rect
  if ! rect=$(probe wait-window "$title" 5000); then
    skip "$name" "no \"$title\" window"
    return 0
  fi
  sleep 0.5
  if [ ${#pages[@]} -eq 0 ]; then
    shoot_rect "$name" $rect
  else
    local i=0
    for p in "${pages[@]}"; do
      if want "$name" || want "$name-$p"; then
        probe sheet-page "$title" $i
        sleep 0.4
        shoot_rect "$name-$p" $rect
      fi
      i=$((i + 1))
    done
  fi
  probe cancel "$title"
  sleep 0.5
}

dialog_shots "Options" ID_OPTIONS options vistal-set vistal tooltip calendar
dialog_shots "Select Background Images" ID_SELECT_IMAGES select-images

probe command "$(command_id ID_APP_EXIT)" || true
for _ in $(seq 1 50); do probe program-pid >/dev/null || break; sleep 0.2; done

echo "screenshots: made ${made[*]:-nothing}${skipped:+; skipped ${skipped[*]}}" >&2

# The README shows every picture there is, between its screenshot markers.
readme_block() {
  local name caption
  while IFS='|' read -r name caption; do
    [ -f "$OUT/$name.png" ] && printf '![%s](docs/%s.png)\n\n' "$caption" "$name"
  done <<'LIST'
desktop|The desktop with a picture and the month's calendar
tray-menu|The tray menu
select-images|Select Background Images with two sets
options-vistal-set|Options: Vistal Set
options-vistal|Options: Vistal
options-tooltip|Options: Tooltip
options-calendar|Options: Calendar
about|The About box
LIST
  return 0
}
readme="$ROOT/README.md"
if grep -q '^<!-- screenshots -->$' "$readme"; then
  block=$(readme_block)
  awk -v block="$block" '
    /^<!-- screenshots -->$/ { print; print ""; if (block != "") { print block; print "" } skipping = 1; next }
    /^<!-- \/screenshots -->$/ { skipping = 0 }
    !skipping { print }' "$readme" >"$readme.new"
  mv "$readme.new" "$readme"
fi
