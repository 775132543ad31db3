# Sourced by the end-to-end tests: a private desktop (X display with a tray host, PulseAudio with a null sink
# named "test"), a private copy of the program in its own folder (the program keeps its configuration beside
# itself), and small helpers to drive and check it.
set -euo pipefail
: "${DAK_BUILD_DIR:?the build folder}"
: "${DAK_TEST_TOOLS:?the test tools folder}"
unset QT_QPA_PLATFORM   # the real X display, not the offscreen platform of the unit tests

. "$DAK_TEST_TOOLS/desktop.sh"

E2E_DIR=$(mktemp -d)
APP_DIR="$E2E_DIR/app"
APP_PID=

fail() { echo "FAIL: $*" >&2; exit 1; }

cleanup() {
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then kill -9 "$APP_PID" 2>/dev/null || true; fi
  stop_desktop
  rm -rf "$E2E_DIR"
}

e2e_start() {
  start_desktop
  trap cleanup EXIT
  mkdir -p "$APP_DIR"
  cp "$DAK_BUILD_DIR/dak-mp3" "$APP_DIR/"
  for f in "$DAK_BUILD_DIR"/*.mp3 "$DAK_BUILD_DIR"/*.ico "$DAK_BUILD_DIR"/*.bmp "$DAK_BUILD_DIR"/*.png; do
    [ -e "$f" ] && cp "$f" "$APP_DIR/"
  done
  return 0
}

# app_start ARGS...: starts the program in the background; its output goes to $E2E_DIR/app.log.
app_start() {
  "$APP_DIR/dak-mp3" "$@" >"$E2E_DIR/app.log" 2>&1 &
  APP_PID=$!
}

# wait_until SECONDS COMMAND...: polls until the command succeeds.
wait_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

# record SECONDS FILE: what reaches the null sink, as a WAV file.
record() {
  timeout "$1" parec -d test.monitor --file-format=wav "$2" || true
}

# rms FILE: the RMS amplitude of a recording (0 for silence).
rms() {
  sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}'
}

# louder_than FILE LEVEL: true when the recording's RMS amplitude exceeds LEVEL.
louder_than() {
  awk -v a="$(rms "$1")" -v b="$2" 'BEGIN { exit !(a > b) }'
}
