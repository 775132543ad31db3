#!/usr/bin/env bash
# "Next Song" and "Previous Song" from the tray menu step through the set of the song that plays: from the
# first of three songs, Next, Next, Previous ends on the second. Exit stores the song that was open last.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"   # audible
e2e_start
conf="$APP_DIR/devud3.dat"

music="$E2E_DIR/music"
mkdir -p "$music"
for n in 1 2 3; do cp "$APP_DIR/demo.mp3" "$music/song$n.mp3"; done
library_with_set "Road Trip" "First=$music/song1.mp3" "Second=$music/song2.mp3" "Third=$music/song3.mp3"
# Sequential steps (no random song), auto play on open; the first song of the set was open last time and
# plays at start.
printf '[Options]\r\nautoplayonstart=1\r\nautoplayonopen=1\r\nrandomsong=0\r\nrandomset=0\r\n' >"$conf"
# No mini-info: this desktop has no window manager to keep the popup off the tray host's corner.
printf '[MiniInfo]\r\nActivateMiniInfo=0\r\n' >>"$conf"
printf '[LastOpened]\r\nLastOpenedLibrarySetName=Road Trip\r\nLastOpenedLibrarySongTitle=First\r\n' \
  >>"$conf"
app_start
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
wait_until 20 audible || fail "the last opened song does not play at start (RMS $PROBE_RMS)"

# From the bottom of the tray menu: Exit, About..., Play Random Song, Play Random Set, Next Song,
# Previous Song.
tray_item_from_bottom() {
  tray_click 3
  sleep 0.5
  local keys=() i
  for ((i = 0; i < $1; i++)); do keys+=(Up); done
  xdotool key "${keys[@]}" Return
  sleep 1
}
tray_item_from_bottom 5   # Next Song: Second
tray_item_from_bottom 5   # Next Song: Third
tray_item_from_bottom 6   # Previous Song: Second
wait_until 20 audible || fail "nothing plays after the steps (RMS $PROBE_RMS)"

tray_menu_exit
wait_for_exit 20 || fail "Exit did not end the program"
title=$(ini_value "$conf" LastOpened LastOpenedLibrarySongTitle)
[ "$title" = Second ] || fail "the song open last is '$title', not Second"
[ "$(ini_value "$conf" LastOpened LastOpenedLibrarySetName)" = "Road Trip" ] || fail "the set was not kept"
echo "PASS"
