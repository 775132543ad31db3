#!/usr/bin/env bash
# With the mini-info set to show as a desktop notification, the song changes of a hidden player reach the
# desktop's notification service (a recorder on the private bus): the set, the library title and the time
# line, each notification replacing the one before; a file outside the library is named by its tag title.
. "$(dirname "$0")/lib.sh"
e2e_start
conf="$APP_DIR/devud3.dat"
log="$E2E_DIR/notify.log"
: >"$log"
"$DAK_BUILD_DIR/tests/app/notify/notification_recorder" "$log" &
recorder=$!
trap 'kill $recorder 2>/dev/null || true; cleanup' EXIT
registered() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner org.freedesktop.Notifications | grep -q true; }
wait_until 10 registered || fail "the notification recorder did not take its name"

music="$E2E_DIR/music"
mkdir -p "$music"
sox -n -r 44100 -c 2 "$E2E_DIR/tone.wav" synth 20 sine 440 vol 0.5
lame --silent -b 128 "$E2E_DIR/tone.wav" "$music/song1.mp3"
cp "$music/song1.mp3" "$music/song2.mp3"
lame --silent -b 128 --add-id3v2 --id3v2-only --tt "Tagged Tune" "$E2E_DIR/tone.wav" "$music/tagged.mp3"
library_with_set "Road Trip" "First=$music/song1.mp3" "Second=$music/song2.mp3"
printf '[Options]\r\nautoplayonstart=1\r\nautoplayonopen=1\r\nrandomsong=0\r\nrandomset=0\r\n' >"$conf"
printf '[MiniInfo]\r\nActivateMiniInfo=1\r\nMiniInfoShowEverytime=1\r\nMiniInfoTime=3000\r\nDesktopNotifications=1\r\n' >>"$conf"
printf '[LastOpened]\r\nLastOpenedLibrarySetName=Road Trip\r\nLastOpenedLibrarySongTitle=First\r\n' >>"$conf"
app_start

summary_seen() { cut -f3 "$log" | grep -qx "$1"; }
wait_until 20 summary_seen First || fail "no notification for the first song: $(cat "$log")"
first=$(head -n1 "$log")
[ "$(cut -f2 <<<"$first")" = 0 ] || fail "the first notification replaces something: $first"
[ "$(cut -f4 <<<"$first")" = 'Road Trip\n00:00:00 / 00:00:20' ] || fail "body of the first: $first"
id=$(cut -f1 <<<"$first")
main_window_visible && fail "the main window shows (the mini-info is for a hidden window)"

playerctl --player=dakmp3 next
wait_until 10 summary_seen Second || fail "no notification for the next song: $(cat "$log")"
playerctl --player=dakmp3 open "file://$music/tagged.mp3"
wait_until 10 summary_seen "Tagged Tune" || fail "the file outside the library is not named by its tag: $(cat "$log")"

# One notification on the screen: every later one replaces the first.
tail -n +2 "$log" | cut -f2 | sort -u | grep -qvx "$id" && fail "a notification did not replace the last: $(cat "$log")"
[ -z "$(cut -f3 "$log" | grep -x 'Song Title unknown.')" ] || fail "the no-title text reached the desktop"
# No popup of the program's own meanwhile.
xdotool search --onlyvisible --name '^Current Title - DAK-MP3$' >/dev/null 2>&1 && fail "the program's own popup showed too"
echo "PASS"
