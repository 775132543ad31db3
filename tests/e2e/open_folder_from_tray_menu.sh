#!/usr/bin/env bash
# "Open Folder..." from the tray menu: the folder browser is answered by typing the folder's path and Enter;
# the folder's MP3 files become a set in the library files beside the program, and its first song plays.
. "$(dirname "$0")/lib.sh"
e2e_start

music="$E2E_DIR/music/Road Trip"
mkdir -p "$music"
cp "$APP_DIR/demo.mp3" "$music/01 Opening.mp3"
cp "$APP_DIR/demo.mp3" "$music/02 Second.mp3"
cp "$APP_DIR/demo.mp3" "$music/03 Loud.MP3"   # the extension test is case-sensitive: not an MP3 file

# An empty library beside the program (without one, the start-up's tree build reports the missing file).
: >"$APP_DIR/setlib.dat"
app_start
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
sleep 1   # the start timer's work (configuration, library tree) is done

# Show Window, Options, Audio Settings, Open File..., Open Folder...
tray_click 3
sleep 0.5
xdotool key Down Down Down Down Down Return

browser_id() { xdotool search --onlyvisible --name '^Open Folder\.\.\.$' 2>/dev/null | head -n1; }
wait_until 10 browser_id || fail "the folder browser did not open"
id=$(browser_id)
xdotool windowfocus --sync "$id" 2>/dev/null || true
sleep 0.5
xdotool type --delay 20 "$music"
xdotool key Return

library_has_set() { [ "$(tr -d '\r' <"$APP_DIR/setlib.dat")" = "Road Trip" ]; }
wait_until 10 library_has_set || fail "setlib.dat does not list the set: $(cat -A "$APP_DIR/setlib.dat" 2>&1)"
expected=$(printf '01 Opening=%s\r\n02 Second=%s\r\n' "$music/01 Opening.mp3" "$music/02 Second.mp3")
[ "$(cat "$APP_DIR/Road Trip.set")" = "$expected" ] || fail "the set file holds: $(cat -A "$APP_DIR/Road Trip.set")"

record 3 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "the first song does not play (RMS $(rms "$E2E_DIR/rec.wav"))"
echo "PASS: RMS $(rms "$E2E_DIR/rec.wav")"
