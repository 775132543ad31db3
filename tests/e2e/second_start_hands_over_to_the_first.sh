#!/usr/bin/env bash
# One program per user and display: a second start with a file (named relative to its own working folder)
# hands it to the running program, which plays it, and ends with status 0; a start without arguments brings
# up the running program's main window. One process remains throughout.
. "$(dirname "$0")/lib.sh"
e2e_start

app_count() { pgrep -c -f "^$APP_DIR/dak-mp3" || true; }

app_start
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"

songs="$E2E_DIR/my songs"
mkdir -p "$songs"
sox -n -r 44100 -c 2 "$E2E_DIR/tone.wav" synth 6 sine 523 vol 0.5
lame --quiet -b 128 "$E2E_DIR/tone.wav" "$songs/a tone.mp3"

(cd "$songs" && timeout 10 "$APP_DIR/dak-mp3" "a tone.mp3") || fail "the second start ended with status $?"
[ "$(app_count)" = 1 ] || fail "$(app_count) programs run after the second start"
record 3 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "the running program did not play the handed file (RMS $(rms "$E2E_DIR/rec.wav"))"
main_window_visible && fail "a file alone brought up the main window"

timeout 10 "$APP_DIR/dak-mp3" || fail "the start without arguments ended with status $?"
wait_until 5 main_window_visible || fail "a start without arguments did not bring up the main window"
[ "$(app_count)" = 1 ] || fail "$(app_count) programs run after the start without arguments"
kill -0 "$APP_PID" || fail "the first program ended"
echo "PASS: handed file audible (RMS $(rms "$E2E_DIR/rec.wav")), window shown, one process"
