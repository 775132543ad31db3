#!/usr/bin/env bash
# Draws the pictures of the library tree as 16x16 bitmaps: the closed and the opened set, the song, and the
# playing, paused and stopped marks. White is the transparent colour of these pictures, so the background
# is pure white and nothing inside a picture is. Run by hand when the pictures change; the .bmp files are
# committed.
set -euo pipefail
cd "$(dirname "$0")"
draw() {  # draw NAME DRAW-ARGUMENTS...
  local name=$1
  shift
  convert -size 16x16 xc:white +antialias "$@" -alpha off -type TrueColor "BMP3:treeview_$name.bmp"
}
# A closed box of songs: a folder with its tab.
draw closed_set -fill "#c8961e" -stroke "#6b4e0e" -draw "polygon 1,4 6,4 7,5 14,5 14,13 1,13" \
     -stroke none -fill "#f0c850" -draw "rectangle 2,7 13,12"
# The same folder opened, its front flap tilted.
draw opened_set -fill "#c8961e" -stroke "#6b4e0e" -draw "polygon 1,3 6,3 7,4 13,4 13,13 1,13" \
     -fill "#f5d978" -draw "polygon 3,7 15,7 13,13 1,13"
# A song: a note with its flag.
draw song -fill "#2a4a8a" -stroke none -draw "ellipse 5,12 3,2 0,360" -draw "rectangle 7,3 8,12" \
     -draw "polygon 8,3 13,5 13,7 8,5"
# Playing: a green triangle; paused: two amber bars; stopped: a red square.
draw playing -fill "#1e9e3c" -stroke "#0e5a20" -draw "polygon 4,2 13,8 4,14"
draw paused -fill "#e0a800" -stroke "#7a5c00" -draw "rectangle 3,3 6,13" -draw "rectangle 9,3 12,13"
draw stopped -fill "#d83a32" -stroke "#7a1812" -draw "rectangle 3,3 12,12"
