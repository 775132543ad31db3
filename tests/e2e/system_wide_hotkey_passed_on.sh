#!/usr/bin/env bash
# With another program in the foreground, the system-wide hotkey CTRL+ALT+Y for "Play", passed on, runs
# "Play" and then reaches that program as well.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"
e2e_start
: >"$APP_DIR/setlib.dat"   # an empty song library

printf '[Options]\r\nautoplayonopen=0\r\n[Hotkeys]\r\nPlay=CTRL+ALT+Y\r\n' >"$APP_DIR/devud3.dat"
printf '[SystemWide]\r\nPlay=1\r\n[PassToNextProgram]\r\nPlay=1\r\n' >>"$APP_DIR/devud3.dat"
app_start "$APP_DIR/demo.mp3"
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
witness_start
witness_focus
silent || fail "the song plays before the hotkey (RMS $PROBE_RMS)"

from=$(witness_lines)
xdotool key ctrl+alt+y
wait_until 20 audible || fail "CTRL+ALT+Y did not start the song (RMS $PROBE_RMS)"
witness_saw_grab "$from" || fail "nobody grabbed CTRL+ALT+Y"
wait_until 10 witness_pressed "$from" y || fail "the program in the foreground did not get CTRL+ALT+Y"
# The key came with its modifiers, as the user typed it.
tail -n +"$((from + 1))" "$WITNESS_LOG" | grep -A2 '^KeyPress event' \
  | grep -q 'state 0xc, keycode [0-9]* (keysym 0x79, y)' \
  || fail "CTRL+ALT+Y reached the program in the foreground without Ctrl and Alt"
echo "PASS"
