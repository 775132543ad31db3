# Sourced by the hotkey tests after lib.sh: a second X client standing for "the program in the foreground".
# It is xev, holding the input focus and logging every key and focus event it gets, so a test can tell
# whether a key reached it and whether somebody grabbed the keyboard meanwhile. Also how the program's
# sound is awaited and how the program is stopped between runs.

WITNESS_LOG="$E2E_DIR/witness.log"

witness_id() { xdotool search --name '^keywitness$' 2>/dev/null | head -1; }

witness_start() {
  stdbuf -oL xev -name keywitness -geometry 300x200+20+20 >"$WITNESS_LOG" 2>&1 &
  wait_until 20 witness_id_found || fail "the witness window did not show"
}

witness_id_found() { [ -n "$(witness_id)" ]; }

# witness_focus: gives the witness the input focus (there is no window manager to do it).
witness_focus() {
  xdotool windowfocus --sync "$(witness_id)"
  wait_until 10 witness_has_focus || fail "the witness did not get the focus"
}

witness_has_focus() { [ "$(xdotool getwindowfocus)" = "$(witness_id)" ]; }

# witness_lines: how many lines the log holds now; a position to look from.
witness_lines() { wc -l <"$WITNESS_LOG"; }

# witness_pressed FROM KEYSYM: true when the witness got a press of the key (named as xev names it, "y")
# after line FROM. A release alone does not count: no program acts on a key it never saw go down.
witness_pressed() {
  tail -n +"$(($1 + 1))" "$WITNESS_LOG" | grep -A2 '^KeyPress event' | grep -q "(keysym 0x[0-9a-f]*, $2)"
}

# witness_saw_grab FROM: true when somebody grabbed the keyboard after line FROM (the focus window is told).
witness_saw_grab() {
  tail -n +"$(($1 + 1))" "$WITNESS_LOG" | grep -A1 '^FocusOut event' | grep -q 'mode NotifyGrab'
}

# witness_mark: types F9, which nobody grabs, and waits until the witness has it. Everything typed before
# has been dealt with by then, grabbed keys included, as long as their actions have shown their effect.
witness_mark() {
  local from; from=$(witness_lines)
  xdotool key F9
  wait_until 10 witness_pressed "$from" F9 || fail "the witness did not get the marker key"
}

# audible / silent: what reaches the sound sink in one second. A recording that failed is neither.
probe() {
  record 2.5 "$E2E_DIR/probe.wav"
  PROBE_RMS=$(rms "$E2E_DIR/probe.wav")
  [[ "$PROBE_RMS" =~ ^[0-9]+(\.[0-9]+)?$ ]]
}
audible() { probe && awk -v a="$PROBE_RMS" 'BEGIN { exit !(a > 0.01) }'; }
silent() { probe && awk -v a="$PROBE_RMS" 'BEGIN { exit !(a < 0.001) }'; }

# app_stop: ends the program at once (its keyboard grabs go with its X connection).
app_stop() {
  [ -n "$APP_PID" ] || return 0
  kill "$APP_PID" 2>/dev/null || true
  wait_for_exit 20 || fail "the program did not end"
}
