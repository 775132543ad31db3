#!/usr/bin/env bash
# On a desktop without a system tray the program shows its main window as an ordinary window (although
# without a configuration it would start hidden) and tells why in a box of its own. When a tray host comes
# up later, the icon docks there and the window, which was up only for want of the tray, goes away.
. "$(dirname "$0")/lib.sh"
DAK_DESKTOP_NO_TRAY=1 e2e_start

# named_windows: how many windows titled "DAK-MP3" the program has mapped.
named_windows() {
  local id n=0
  for id in $(xdotool search --onlyvisible --class dak-mp3 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "DAK-MP3" ] && n=$((n + 1))
  done
  echo "$n"
}
# main_shown: the main window is mapped (the box that tells why is transient for it; the main window is not).
main_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class dak-mp3 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "DAK-MP3" ] || continue
    xprop -id "$id" WM_TRANSIENT_FOR | grep -q 'window id' && continue
    [ "$(xdotool getwindowgeometry "$id" | awk '/Geometry/ {split($2, g, "x"); print g[1]}')" -ge 100 ] && return 0
  done
  return 1
}
main_window_gone() { ! main_shown; }

app_start
wait_until 10 main_shown || fail "no window is mapped on a desktop without a tray"
for id in $(xdotool search --onlyvisible --class dak-mp3); do
  [ "$(xdotool getwindowname "$id")" = "DAK-MP3" ] || continue
  xprop -id "$id" _NET_WM_STATE | grep -q SKIP_TASKBAR && fail "a window asks to be left out of the taskbar"
done
wait_until 5 test "$(named_windows)" -ge 2 || fail "no box tells why the window is up ($(named_windows) windows)"

start_tray_host
wait_until 10 tray_icon_docked || fail "the icon did not dock in the tray that came up"
wait_until 5 main_window_gone || fail "the main window stayed up after the tray came"
kill -0 "$APP_PID" || fail "the program ended"
echo "PASS"
