#!/usr/bin/env bash
# Ending the program from outside (kill, logout) saves what Exit saves, asks nothing and ends with status 0;
# a second signal while the program is still busy ends it at once. Three signals, three runs.
. "$(dirname "$0")/lib.sh"
e2e_start
conf="$APP_DIR/devud3.dat"

for sig in TERM INT HUP; do
  rm -f "$conf"
  printf '[Screen]\r\ntop=100\r\nleft=210\r\nwidth=420\r\nheight=300\r\nshow=1\r\nDisplayStyle=1\r\n' >"$conf"
  app_start
  wait_until 20 main_window_visible || fail "SIG$sig: the stored visible window did not show"
  sleep 0.5
  xdotool windowmove "$(main_window_id)" 230 140
  sleep 0.5
  kill -s "$sig" "$APP_PID"
  wait_for_exit 20 || fail "SIG$sig did not end the program"
  [ "$status" = 0 ] || { cat "$E2E_DIR/app.log"; fail "SIG$sig: exit status $status"; }
  [ "$(ini_value "$conf" Screen left)" = 230 ] || fail "SIG$sig: the window's new place was not saved"
  [ "$(ini_value "$conf" Screen DisplayStyle)" = 1 ] || fail "SIG$sig: DisplayStyle not kept"
  [ -n "$(ini_value "$conf" LastOpened LastOpenedLibrarySetName)" ] || fail "SIG$sig: LastOpened not written"
  [ -n "$(ini_value "$conf" Options autoplayonopen)" ] || fail "SIG$sig: Options not written"
  ls -a "$APP_DIR" | grep -q '\.tmp$' && fail "SIG$sig: a temporary file was left behind"
done

# Two signals at once: the program ends at once, and the configuration is the old one or the new one, whole.
printf '[Screen]\r\ntop=100\r\nleft=210\r\nwidth=420\r\nheight=300\r\nshow=1\r\nDisplayStyle=1\r\n' >"$conf"
app_start
wait_until 20 main_window_visible || fail "twice: the stored visible window did not show"
sleep 0.5
kill -TERM "$APP_PID"; kill -TERM "$APP_PID" 2>/dev/null || true
wait_for_exit 5 || fail "a second signal did not end the program at once"
echo "two signals: exit status $status"
[ "$status" = 0 ] || [ "$status" = 143 ] || fail "two signals: exit status $status"
[ "$(ini_value "$conf" Screen left)" = 210 ] || fail "two signals: the configuration was damaged"
[ "$(ini_value "$conf" Screen DisplayStyle)" = 1 ] || fail "two signals: the configuration was damaged"
echo "PASS"
