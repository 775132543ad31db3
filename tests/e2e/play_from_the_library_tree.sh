#!/usr/bin/env bash
# The library tree of the main window plays the song the user picks: a click into the tree, the keys Right
# (open the set), Down, Down (its second song) and Enter start that song.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"   # audible, silent
e2e_start
conf="$APP_DIR/devud3.dat"

music="$E2E_DIR/music"
mkdir -p "$music"
for n in 1 2 3; do cp "$APP_DIR/demo.mp3" "$music/song$n.mp3"; done
library_with_set "Road Trip" "First=$music/song1.mp3" "Second=$music/song2.mp3" "Third=$music/song3.mp3"
printf '[Options]\r\nautoplayonstart=0\r\nautoplayonopen=1\r\n[MiniInfo]\r\nActivateMiniInfo=0\r\n' >"$conf"
# Shown at a known place in display style 0, where the library panel starts 41 + 72 pixels down.
printf '[Screen]\r\ntop=50\r\nleft=50\r\nwidth=420\r\nheight=400\r\nshow=1\r\nDisplayStyle=0\r\n' >>"$conf"
app_start
wait_until 20 main_window_visible || fail "the main window did not show"
sleep 1
silent || fail "something plays before a song is picked (RMS $PROBE_RMS)"

id=$(main_window_id)
# Below the library panel's title strip, on the first set.
xdotool mousemove --window "$id" 70 $((41 + 72 + 24)) click 1
sleep 0.5
xdotool key Right Down Down Return
wait_until 20 audible || fail "the song picked in the tree does not play (RMS $PROBE_RMS)"

tray_menu_exit
wait_for_exit 20 || fail "Exit did not end the program"
title=$(ini_value "$conf" LastOpened LastOpenedLibrarySongTitle)
[ "$title" = Second ] || fail "the song played is '$title', not Second"
echo "PASS"
