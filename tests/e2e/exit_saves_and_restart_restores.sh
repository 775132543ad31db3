#!/usr/bin/env bash
# "Exit" from the tray menu writes the configuration (Screen, LastOpened, AudioSettings); the next start
# brings back the window's place, size and display style.
. "$(dirname "$0")/lib.sh"
e2e_start
conf="$APP_DIR/devud3.dat"

# A stored window: shown, at 200,100, 420 wide, display style 1.
printf '[Screen]\r\ntop=100\r\nleft=200\r\nwidth=420\r\nheight=300\r\nshow=1\r\nDisplayStyle=1\r\n' >"$conf"
app_start
wait_until 20 main_window_visible || fail "the stored visible window did not show"
sleep 0.5
id=$(main_window_id)
geo=$(xdotool getwindowgeometry "$id")
echo "$geo"
echo "$geo" | grep -q "Position: 200,100" || fail "not at the stored place"
# Style 1 hides the library panel: 41 + 72 + 36 pixels high, the stored width.
echo "$geo" | grep -q "Geometry: 420x149" || fail "not the stored width in display style 1"

tray_menu_exit
wait_for_exit 20 || fail "Exit did not end the program"
for key in top left width height show DisplayStyle; do
  [ -n "$(ini_value "$conf" Screen "$key")" ] || fail "Screen/$key not written"
done
[ "$(ini_value "$conf" Screen DisplayStyle)" = 1 ] || fail "DisplayStyle not kept"
[ "$(ini_value "$conf" Screen width)" = 420 ] || fail "width not kept"
[ "$(ini_value "$conf" Screen left)" = 200 ] || fail "left not kept"
[ -n "$(ini_value "$conf" LastOpened LastOpenedLibrarySetName)" ] || fail "LastOpened not written"
[ -n "$(ini_value "$conf" AudioSettings ReleaseOnEOF)" ] || fail "AudioSettings not written"
[ -n "$(ini_value "$conf" Options autoplayonopen)" ] || fail "Options not written"

# Start again from what was saved.
app_start
wait_until 20 main_window_visible || fail "the window did not show after the restart"
sleep 0.5
geo=$(xdotool getwindowgeometry "$(main_window_id)")
echo "$geo" | grep -q "Position: 200,100" || fail "restart: not at the saved place ($geo)"
echo "$geo" | grep -q "Geometry: 420x149" || fail "restart: not the saved size and style ($geo)"
echo "PASS"
