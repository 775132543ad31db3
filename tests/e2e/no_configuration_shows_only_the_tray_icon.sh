#!/usr/bin/env bash
# Without a configuration file the program starts in the tray: the icon docks, the main window stays hidden
# and nothing plays.
. "$(dirname "$0")/lib.sh"
e2e_start

app_start
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
sleep 1
main_window_visible && fail "the main window is visible without a configuration"
record 2 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.001 && fail "something plays at start"
kill -0 "$APP_PID" || fail "the program ended"
echo "PASS"
