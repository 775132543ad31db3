#!/usr/bin/env bash
# The X server going away under the running program (with its system-wide hook connected) ends the program
# with what Exit saves, exit status 0 or 1, and no abort.
. "$(dirname "$0")/lib.sh"
e2e_start
conf="$APP_DIR/devud3.dat"

printf '[Screen]\r\ntop=100\r\nleft=210\r\nwidth=420\r\nheight=300\r\nshow=1\r\nDisplayStyle=1\r\n' >"$conf"
app_start
wait_until 20 main_window_visible || fail "the stored visible window did not show"
sleep 0.5
xdotool windowmove "$(main_window_id)" 250 160
sleep 0.5
rm -f "$conf"

# The first process of the private desktop is its X server.
kill -9 "${_desktop_pids[0]}"
deadline=$((SECONDS + 20))
while kill -0 "$APP_PID" 2>/dev/null; do
  [ $SECONDS -lt $deadline ] || fail "the program outlived its X server"
  sleep 0.1
done
status=0
wait "$APP_PID" 2>/dev/null || status=$?
APP_PID=
cat "$E2E_DIR/app.log"
[ "$status" = 0 ] || [ "$status" = 1 ] || fail "exit status $status after the X server went away"
grep -qi "terminate called\|abort" "$E2E_DIR/app.log" && fail "the program aborted"
[ -f "$conf" ] || fail "the configuration was not written"
[ "$(ini_value "$conf" Screen left)" = 250 ] || fail "the window's place was not saved"
[ -n "$(ini_value "$conf" LastOpened LastOpenedLibrarySetName)" ] || fail "LastOpened not written"
[ -n "$(ini_value "$conf" Options autoplayonopen)" ] || fail "Options not written"
echo "PASS"
