#!/usr/bin/env bash
# Draws the About box artwork and its two button faces:
#   about.bmp     400x450, 256 colours, RLE-8 (bitmap 184)
#   order.bmp     85x19, 256 colours (bitmap 185)
#   continue.bmp  85x19, 256 colours (bitmap 186)
# The program writes "Version 3.00" at (170, 125) and places its buttons over
# x 94-192 and 219-317, y 393-430, so those places stay plain and light.
# The faces use only black, dark grey, light grey and white: the button
# swaps exactly those four for the user's button colours.
# Run it after changing the artwork; its output is committed.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

serif=DejaVu-Serif-Bold
sans=DejaVu-Sans
sans_bold=DejaVu-Sans-Bold

# --- The landscape banner: a lake at dusk under the title. ---
convert -size 376x100 gradient:'#2f5f9e-#f4c48a' \
  -fill '#fff1b8' -draw 'circle 322,34 322,18' \
  -fill '#6f8fb4' -draw 'polygon 0,78 60,46 110,70 170,34 240,72 300,50 376,74 376,100 0,100' \
  -fill '#3f6f45' -draw 'polygon 0,86 80,64 150,84 230,70 300,86 376,78 376,100 0,100' \
  -fill '#5b8fc0' -draw 'rectangle 0,90 376,100' \
  -fill '#f7dca4' -draw 'rectangle 304,92 340,93' -draw 'rectangle 312,96 332,97' \
  -font "$serif" -pointsize 38 -fill '#1b2b44' -annotate +22+49 'Vistals' \
  -fill white -annotate +20+47 'Vistals' \
  -font "$sans" -pointsize 11 -fill white -annotate +24+66 'Desktop wallpaper changer' \
  "$tmp/banner.png"
convert -size 376x100 xc:none -fill white -draw 'roundrectangle 0,0 375,99 10,10' "$tmp/banner-mask.png"
convert "$tmp/banner.png" "$tmp/banner-mask.png" -alpha off -compose CopyOpacity -composite "$tmp/banner-round.png"

# --- The wallpaper on the little screen: hills, a lake and a month calendar. ---
convert -size 236x142 gradient:'#5d9bd6-#cfe6f5' \
  -fill '#ffffff' -draw 'ellipse 50,30 26,8 0,360' -draw 'ellipse 70,26 18,7 0,360' \
  -fill '#8fa9c6' -draw 'polygon 0,92 40,50 78,80 120,38 170,84 200,62 236,88 236,142 0,142' \
  -fill '#f4f8fb' -draw 'polygon 120,38 108,50 116,52 124,46 132,52 136,48' \
  -fill '#4f8a4a' -draw 'polygon 0,112 60,92 120,108 180,96 236,108 236,142 0,142' \
  -fill '#3a7fc0' -draw 'rectangle 0,124 236,142' \
  "$tmp/wallpaper.png"
# Calendar: a header, a 7 x 5 grid, one day marked.
cal="$tmp/calendar.png"
convert -size 78x62 xc:'#ffffffe0' -fill '#c0392b' -draw 'rectangle 0,0 77,10' \
  -font "$sans_bold" -pointsize 8 -fill white -gravity north -annotate +0+0 'MAY' -gravity northwest \
  "$cal"
grid=()
for c in 1 2 3 4 5 6; do x=$((c * 11)); grid+=(-draw "line $x,11 $x,61"); done
for r in 1 2 3 4; do y=$((11 + r * 10)); grid+=(-draw "line 0,$y 77,$y"); done
convert "$cal" -stroke '#9aa5b1' -strokewidth 1 "${grid[@]}" \
  -stroke none -fill '#f5b041' -draw 'rectangle 34,32 43,40' \
  -fill '#34495e' \
  -draw 'rectangle 3,14 7,17' -draw 'rectangle 14,14 18,17' -draw 'rectangle 25,14 29,17' \
  -draw 'rectangle 36,14 40,17' -draw 'rectangle 47,14 51,17' -draw 'rectangle 58,14 62,17' \
  -draw 'rectangle 69,14 73,17' \
  -fill none -stroke '#34495e' -draw 'rectangle 0,0 77,61' "$cal"
convert "$tmp/wallpaper.png" "$cal" -geometry +150+72 -composite "$tmp/screen.png"

# --- The whole picture. ---
convert -size 400x450 gradient:'#fbf7ee-#ece2cc' \
  -fill none -stroke '#1f3350' -strokewidth 4 -draw 'rectangle 2,2 397,447' \
  -stroke '#c9a85a' -strokewidth 1 -draw 'rectangle 7,7 392,442' -stroke none \
  "$tmp/banner-round.png" -geometry +12+12 -composite \
  -fill '#c9a85a' -draw 'rectangle 40,148 360,148' \
  -fill '#2b2b2b' -draw 'roundrectangle 70,160 330,326 10,10' \
  -fill '#444a52' -draw 'roundrectangle 74,164 326,322 8,8' \
  "$tmp/screen.png" -geometry +82+172 -composite \
  -fill '#6b7480' -draw 'polygon 184,326 216,326 222,346 178,346' \
  -fill '#4a525c' -draw 'roundrectangle 146,344 254,352 4,4' \
  -font "$sans" -pointsize 11 -fill '#3d4b5c' -gravity north \
  -annotate +0+358 'Your pictures, a new one every day, with the month on top.' \
  -font "$sans" -pointsize 10 -fill '#6b6250' -annotate +0+374 'Corvane Software' \
  -gravity northwest \
  "$tmp/about.png"
convert "$tmp/about.png" -alpha off +dither -colors 256 -type Palette -compress RLE BMP3:about.bmp

# --- Button faces: four colours only, padded to a 256-colour table. ---
convert -size 256x1 gradient:'#203040-#e0d0b0' \
  -fill black -draw 'point 0,0' -fill '#808080' -draw 'point 1,0' \
  -fill '#c0c0c0' -draw 'point 2,0' -fill white -draw 'point 3,0' "$tmp/palette.png"
face() {  # word, glyph drawing, output
  convert -size 85x19 xc:'#c0c0c0' +antialias \
    -fill '#808080' -draw "translate 1,1 $2" -fill black -draw "$2" \
    -font "$sans_bold" -pointsize 11 -fill black -annotate +26+14 "$1" \
    +dither -remap "$tmp/palette.png" -type Palette -compress None BMP3:"$3"
}
# Order: a check mark; Continue: an arrow; each with a grey shadow.
face 'Order' 'polygon 7,9 9,7 12,10 17,4 19,6 12,14' order.bmp
face 'Continue' 'polygon 9,4 9,14 17,9' continue.bmp
