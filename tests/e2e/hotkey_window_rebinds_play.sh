#!/usr/bin/env bash
# The hotkey window moves "Play" from CTRL+ALT+Y to CTRL+ALT+U: once the window closes, CTRL+ALT+Y is let go
# and reaches the program in the foreground, and CTRL+ALT+U runs "Play". The window is opened by its own
# system-wide hotkey and driven with the keyboard as a user would.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"
e2e_start
: >"$APP_DIR/setlib.dat"   # an empty song library
conf="$APP_DIR/devud3.dat"

printf '[Options]\r\nautoplayonopen=0\r\n' >"$conf"
printf '[Hotkeys]\r\nPlay=CTRL+ALT+Y\r\nStop=CTRL+ALT+S\r\nConfigureHotkeys=CTRL+ALT+H\r\n' >>"$conf"
printf '[SystemWide]\r\nPlay=1\r\nStop=1\r\nConfigureHotkeys=1\r\n' >>"$conf"
printf '[PassToNextProgram]\r\nPlay=0\r\nStop=0\r\nConfigureHotkeys=0\r\n' >>"$conf"
app_start "$APP_DIR/demo.mp3"
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
witness_start
witness_focus
silent || fail "the song plays before the hotkey (RMS $PROBE_RMS)"

# The old binding works.
xdotool key ctrl+alt+y
wait_until 20 audible || fail "CTRL+ALT+Y did not start the song (RMS $PROBE_RMS)"
xdotool key ctrl+alt+s
wait_until 20 silent || fail "CTRL+ALT+S did not stop the song (RMS $PROBE_RMS)"

hotkey_window() { xdotool search --onlyvisible --name '^Configure Hotkeys - DAK-MP3$' 2>/dev/null | head -1; }
hotkey_window_shown() { [ -n "$(hotkey_window)" ]; }
hotkey_window_gone() { [ -z "$(hotkey_window)" ]; }
xdotool key ctrl+alt+h
wait_until 20 hotkey_window_shown || fail "CTRL+ALT+H did not show the hotkey window"
xdotool windowfocus --sync "$(hotkey_window)"
sleep 0.5
# The list has the focus: the tenth line is Play. Then the combo box, the new text, Assign and OK.
xdotool key Home
xdotool key --repeat 9 --delay 50 Down
xdotool key Tab ctrl+a
xdotool type --delay 30 'ctrl+alt+u'
xdotool key alt+a
sleep 0.3
xdotool key alt+o
wait_until 20 hotkey_window_gone || fail "OK did not close the hotkey window"

[ "$(ini_value "$conf" Hotkeys Play)" = "ctrl+alt+u" ] || fail "Play is stored as '$(ini_value "$conf" Hotkeys Play)'"
[ "$(ini_value "$conf" SystemWide Play)" = 1 ] || fail "Play is no longer stored as system-wide"
[ "$(ini_value "$conf" PassToNextProgram Play)" = 0 ] || fail "Play is no longer stored as withheld"
[ "$(ini_value "$conf" Hotkeys Stop)" = "CTRL+ALT+S" ] || fail "Stop's hotkey changed"

# The old combination is let go: it reaches the program in the foreground and plays nothing.
witness_focus
from=$(witness_lines)
xdotool key ctrl+alt+y
wait_until 10 witness_pressed "$from" y || fail "CTRL+ALT+Y did not reach the program in the foreground"
witness_saw_grab "$from" && fail "CTRL+ALT+Y is still grabbed"
silent || fail "CTRL+ALT+Y still runs Play (RMS $PROBE_RMS)"

# The new one runs Play and is withheld.
from=$(witness_lines)
xdotool key ctrl+alt+u
wait_until 20 audible || fail "CTRL+ALT+U did not start the song (RMS $PROBE_RMS)"
witness_mark
witness_pressed "$from" u && fail "the program in the foreground got the withheld CTRL+ALT+U"
echo "PASS"
