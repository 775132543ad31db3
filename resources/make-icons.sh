#!/usr/bin/env bash
# Draws the state icons shown in the tray and the main window (play, pause, stop) as 16 and 32 pixel icons.
# Run by hand when the pictures change; the .ico files are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
draw() {  # draw NAME FILL DRAW-COMMANDS (on a 32x32 canvas)
  convert -size 32x32 xc:none -fill "#1d2b3a" -draw "roundrectangle 1,1 30,30 6,6" \
          -fill "$2" -stroke none -draw "$3" "$tmp/$1-32.png"
  convert "$tmp/$1-32.png" -resize 16x16 "$tmp/$1-16.png"
  convert "$tmp/$1-16.png" "$tmp/$1-32.png" "$1.ico"
}
draw play "#4cd964" "polygon 11,7 25,16 11,25"
draw pause "#ffcc00" "rectangle 9,8 13,24 rectangle 19,8 23,24"
draw stop "#ff5f57" "rectangle 9,9 23,23"
