#!/usr/bin/env bash
# "-a noise.mp3" with the equalizer switched on: the audio settings window shows and the noise plays. A left
# equalizer slider pulled to the bottom cuts its frequencies in the left channel at the sound sink, and only
# there; the master volume at half its travel brings the level down to an eighth, at the bottom to silence.
# At exit the sliders are kept in "devud3.eqs" beside the program.
. "$(dirname "$0")/lib.sh"
e2e_start

sox -n -r 44100 -c 2 "$E2E_DIR/noise.wav" synth 90 pinknoise vol 0.5
lame --quiet -b 192 "$E2E_DIR/noise.wav" "$APP_DIR/noise.mp3"
printf '[AudioSettings]\r\nEnableEqualizer=1\r\n' >"$APP_DIR/devud3.dat"
: >"$APP_DIR/setlib.dat"   # an empty library: nothing for the start-up to report

audio_window_id() { xdotool search --onlyvisible --name '^Modify Audio Settings - DAK-MP3$' 2>/dev/null | head -1; }
audio_window_visible() { [ -n "$(audio_window_id)" ]; }

# left_level FILE LOW HIGH: the RMS amplitude of the left channel between LOW and HIGH Hz.
left_level() { sox "$1" -n remix 1 sinc "$2-$3" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
# ratio_between A B MIN MAX: true when MIN < A/B < MAX.
ratio_between() { awk -v a="$1" -v b="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(b > 0 && a / b > lo && a / b < hi) }'; }
# follows NAME CHECK...: records the sink 1.5 s at a time until CHECK (given the recording) holds, at most
# 12 s: the sound server's buffer plays out what was decoded before the change.
follows() {
  local name=$1; shift
  local deadline=$((SECONDS + 12))
  while :; do
    record 1.5 "$E2E_DIR/$name.wav"
    "$@" "$E2E_DIR/$name.wav" && return 0
    [ $SECONDS -ge $deadline ] && return 1
  done
}
high_cut() { ratio_between "$(left_level "$1" 8000 9200)" "$(left_level "$E2E_DIR/before.wav" 8000 9200)" 0 0.4; }
at_an_eighth() { ratio_between "$(rms "$1")" "$(rms "$E2E_DIR/cut.wav")" 0.08 0.2; }
silent() { ! louder_than "$1" 0.0005; }

app_start -a "$APP_DIR/noise.mp3"
wait_until 20 audio_window_visible || fail "the audio settings window did not show"
win=$(audio_window_id)
eval "$(xdotool getwindowgeometry --shell "$win")"   # X, Y: the window's client area on the screen
xdotool windowfocus --sync "$win"
sleep 2
record 2 "$E2E_DIR/before.wav"
louder_than "$E2E_DIR/before.wav" 0.01 || fail "the noise is not audible (RMS $(rms "$E2E_DIR/before.wav"))"

# The equalizer page; left slider 9 (bands 11 to 13, 7.6 to 9.6 kHz) to the bottom.
xdotool key alt+e
sleep 0.5
xdotool mousemove $((X + 343)) $((Y + 137)) click 1
sleep 0.3
xdotool key End
follows cut high_cut || true
high_before=$(left_level "$E2E_DIR/before.wav" 8000 9200)
high_cut=$(left_level "$E2E_DIR/cut.wav" 8000 9200)
low_before=$(left_level "$E2E_DIR/before.wav" 800 1200)
low_cut=$(left_level "$E2E_DIR/cut.wav" 800 1200)
ratio_between "$high_cut" "$high_before" 0 0.4 ||
  fail "8-9 kHz did not drop: $high_before -> $high_cut"
ratio_between "$low_cut" "$low_before" 0.75 1.33 ||
  fail "1 kHz changed with the 8-9 kHz slider: $low_before -> $low_cut"
echo "equalizer: 8-9 kHz $high_before -> $high_cut, 1 kHz $low_before -> $low_cut"

# The output page; the master volume from the top five pages down: level 50, an eighth of the amplitude.
xdotool key alt+o
sleep 0.5
xdotool mousemove $((X + 50)) $((Y + 210)) click 1
sleep 0.3
xdotool key Home
sleep 0.3
xdotool key Next Next Next Next Next
follows half at_an_eighth ||
  fail "master level 50 did not bring the sound to an eighth: $(rms "$E2E_DIR/cut.wav") -> $(rms "$E2E_DIR/half.wav")"
echo "master 50: $(rms "$E2E_DIR/cut.wav") -> $(rms "$E2E_DIR/half.wav")"
xdotool key End
follows silent silent || fail "master level 0 is still audible (RMS $(rms "$E2E_DIR/silent.wav"))"

# Exit: the sliders go to the default equalizer file, 32 lines, the cut slider's line holding 127.
tray_menu_exit
wait_for_exit 20 || fail "the program did not end"
[ -f "$APP_DIR/devud3.eqs" ] || fail "no devud3.eqs at exit"
[ "$(wc -l <"$APP_DIR/devud3.eqs")" -eq 32 ] || fail "devud3.eqs does not hold 32 lines"
[ "$(sed -n 10p "$APP_DIR/devud3.eqs" | tr -d '\r')" = 127 ] || fail "slider 9 is not stored at the bottom"
[ "$(ini_value "$APP_DIR/devud3.dat" AudioSettings EnableEqualizer)" = 1 ] || fail "EnableEqualizer was not kept"
echo "PASS"
