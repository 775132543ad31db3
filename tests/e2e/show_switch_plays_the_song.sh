#!/usr/bin/env bash
# "-s demo.mp3": the main window shows, the song is opened and played, and its sound reaches the sink.
. "$(dirname "$0")/lib.sh"
e2e_start

app_start -s "$APP_DIR/demo.mp3"
wait_until 20 main_window_visible || fail "the main window did not show"
record 3 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "the song is not audible (RMS $(rms "$E2E_DIR/rec.wav"))"
echo "PASS: RMS $(rms "$E2E_DIR/rec.wav")"
