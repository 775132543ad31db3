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

# tray_icon_center: "X Y" of the program's docked tray icon, empty while it is not docked.
tray_icon_center() {
  xwininfo -root -tree 2>/dev/null | awk '
    /\("dak-mp3" "DAK-MP3"\)/ && $0 !~ /369x/ {
      for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, /[x+]/); w = g[1]; h = g[2] }
      n = split($NF, p, "+"); x = p[2]; y = p[3]
      if (w <= 64 && h <= 64) { print int(x + w / 2), int(y + h / 2); exit }
    }'
}

tray_icon_docked() { [ -n "$(tray_icon_center)" ]; }

# main_window_id: the id of the main window while it is mapped (visible), empty otherwise.
main_window_id() {
  xdotool search --onlyvisible --class dak-mp3 2>/dev/null | while read -r id; do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "DAK-MP3" ] || continue
    geo=$(xdotool getwindowgeometry "$id" | awk '/Geometry/ {print $2}')
    w=${geo%x*}
    [ "$w" -ge 100 ] && { echo "$id"; break; }
  done
}

main_window_visible() { [ -n "$(main_window_id)" ]; }

# tray_click BUTTON: clicks the tray icon (1 left, 3 right).
tray_click() {
  local c; c=$(tray_icon_center)
  [ -n "$c" ] || fail "no tray icon to click"
  xdotool mousemove $c click "$1"
}

# tray_menu_exit: chooses "Exit", the last item of the tray menu.
tray_menu_exit() {
  tray_click 3
  sleep 0.5
  xdotool key Up Return
}

# library_with_set SET TITLE=FILE...: a song library holding only the set SET, with these songs in this order.
library_with_set() {
  local set=$1; shift
  printf '%s\r\n' "$set" >"$APP_DIR/setlib.dat"
  printf '%s\r\n' "$@" >"$APP_DIR/$set.set"
}

# wait_for_exit SECONDS: waits until the program has ended; its exit status goes to $status.
wait_for_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$APP_PID" 2>/dev/null; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
  status=0
  wait "$APP_PID" 2>/dev/null || status=$?
  APP_PID=
}

# ini_value FILE SECTION KEY: a value of the program's configuration file.
ini_value() {
  tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = (tolower($0) == tolower(s)); next }
    in_s && index($0, "=") { split($0, kv, "="); if (tolower(kv[1]) == tolower(k)) { print substr($0, length(kv[1]) + 2); exit } }'
}
