#!/usr/bin/env bash
# The program plays the song named on its command line to the default sound output: the sound reaches the
# PulseAudio sink.
. "$(dirname "$0")/lib.sh"
e2e_start

app_start "$APP_DIR/demo.mp3"
record 4 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "nothing audible reached the sink (RMS $(rms "$E2E_DIR/rec.wav"))"
echo "PASS: demo song audible, RMS $(rms "$E2E_DIR/rec.wav")"
