#!/usr/bin/env bash
# With another program in the foreground, the system-wide hotkey CTRL+ALT+Y runs "Play" and, not being passed
# on, never reaches that program; CTRL+ALT+P, a hotkey for "Pause" that is not system-wide, is not grabbed:
# it reaches the program in the foreground and pauses nothing.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"
e2e_start
: >"$APP_DIR/setlib.dat"   # an empty song library

printf '[Options]\r\nautoplayonopen=0\r\n[Hotkeys]\r\nPlay=CTRL+ALT+Y\r\nPause=CTRL+ALT+P\r\n' >"$APP_DIR/devud3.dat"
printf '[SystemWide]\r\nPlay=1\r\nPause=0\r\n[PassToNextProgram]\r\nPlay=0\r\nPause=1\r\n' >>"$APP_DIR/devud3.dat"
app_start "$APP_DIR/demo.mp3"
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
witness_start
witness_focus
silent || fail "the song plays before the hotkey (RMS $PROBE_RMS)"

from=$(witness_lines)
xdotool key ctrl+alt+y
wait_until 20 audible || fail "CTRL+ALT+Y did not start the song (RMS $PROBE_RMS)"
witness_mark
witness_saw_grab "$from" || fail "nobody grabbed CTRL+ALT+Y"
witness_pressed "$from" y && fail "the program in the foreground got the withheld CTRL+ALT+Y"
witness_has_focus || fail "the program in the foreground lost the focus"

from=$(witness_lines)
xdotool key ctrl+alt+p
wait_until 10 witness_pressed "$from" p || fail "CTRL+ALT+P did not reach the program in the foreground"
witness_saw_grab "$from" && fail "CTRL+ALT+P, not system-wide, was grabbed"
audible || fail "CTRL+ALT+P paused the song (RMS $PROBE_RMS)"
echo "PASS"
