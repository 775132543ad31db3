#!/usr/bin/env bash
# A click on the tray icon pauses the playing song; a second click resumes it.
. "$(dirname "$0")/lib.sh"
e2e_start

app_start "$APP_DIR/demo.mp3"
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
record 2 "$E2E_DIR/playing.wav"
louder_than "$E2E_DIR/playing.wav" 0.01 || fail "the song does not play (RMS $(rms "$E2E_DIR/playing.wav"))"

tray_click 1
sleep 1.5   # a single click waits out the double-click time before it acts
record 1.5 "$E2E_DIR/paused.wav"
louder_than "$E2E_DIR/paused.wav" 0.001 && fail "still audible after the first click (RMS $(rms "$E2E_DIR/paused.wav"))"

tray_click 1
sleep 1.5
record 2 "$E2E_DIR/resumed.wav"
louder_than "$E2E_DIR/resumed.wav" 0.01 || fail "not audible after the second click (RMS $(rms "$E2E_DIR/resumed.wav"))"
main_window_visible && fail "single clicks showed the main window"
echo "PASS"
