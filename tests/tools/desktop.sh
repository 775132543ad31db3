# Sourced by scripts: starts a private X display with a tray host, a PulseAudio server with a null sink
# named "test" and a private session bus; exports DISPLAY, XDG_RUNTIME_DIR, PULSE_SERVER and
# DBUS_SESSION_BUS_ADDRESS, and stops them all on exit. DAK_DESKTOP_NO_TRAY=1 leaves the tray host out.
# Usage: . tests/tools/desktop.sh; start_desktop
_desktop_pids=()

stop_desktop() {
  local p
  for p in "${_desktop_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${_desktop_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  _desktop_pids=()
  [ -n "${_desktop_runtime:-}" ] && rm -rf "$_desktop_runtime"
  return 0
}

# wait_until SECONDS COMMAND...: polls until the command succeeds; false when the time is up.
wait_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

# start_tray_host: a tray host on $DISPLAY, stopped with the desktop. A test may call it to bring the tray
# up later.
start_tray_host() {
  trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
  _desktop_pids+=($!)
}

start_desktop() {
  # Xvfb picks a free display itself and tells which (-displayfd): tests that start at the same moment
  # never share one.
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  _desktop_pids+=($!)
  local i
  for i in $(seq 100); do
    [ -s "$numfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -dc '0-9' <"$numfile")"
  rm -f "$numfile"
  wait_until 20 xdpyinfo || { echo "desktop: Xvfb did not start" >&2; return 1; }
  [ "${DAK_DESKTOP_NO_TRAY:-0}" = 1 ] || start_tray_host

  # A session bus of our own, started before the sound server: PulseAudio claims its name on the session bus
  # and a second one on the same bus would not start. Desktop services (media controls, notifications) are
  # then those of this desktop only.
  local busfile
  busfile=$(mktemp)
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$busfile" >/dev/null 2>&1 &
  _desktop_pids+=($!)
  for i in $(seq 100); do
    [ -s "$busfile" ] && break
    sleep 0.1
  done
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$busfile")
  export DBUS_SESSION_BUS_ADDRESS
  rm -f "$busfile"
  [ -n "$DBUS_SESSION_BUS_ADDRESS" ] || { echo "desktop: dbus-daemon did not start" >&2; return 1; }
  _desktop_runtime=$(mktemp -d)
  chmod 700 "$_desktop_runtime"
  export XDG_RUNTIME_DIR="$_desktop_runtime"
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --system=no \
    --load="module-null-sink sink_name=test" --load=module-native-protocol-unix >/dev/null 2>&1 &
  _desktop_pids+=($!)
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  wait_until 20 pactl info || { echo "desktop: PulseAudio did not start" >&2; return 1; }
  pactl set-default-sink test

  trap stop_desktop EXIT
}
