#!/usr/bin/env bash
# The desktop's media controls, through playerctl as a real client on the private session bus: the status,
# the library title and set, play-pause heard at the sink, the position and a jump, the next song, a file
# handed over by address with the title of its tag, and Quit exiting as the menu's Exit does (it saves).
# gdbus shows both interfaces.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/key_witness.bash"   # audible, silent
e2e_start
conf="$APP_DIR/devud3.dat"
pc() { playerctl --player=dakmp3 "$@" 2>/dev/null; }

music="$E2E_DIR/music"
mkdir -p "$music"
sox -n -r 44100 -c 2 "$E2E_DIR/tone.wav" synth 40 sine 440 vol 0.5
lame --silent -b 128 "$E2E_DIR/tone.wav" "$music/song1.mp3"
cp "$music/song1.mp3" "$music/song2.mp3"
lame --silent -b 128 --add-id3v2 --id3v2-only --tt "Tagged Tune" --ta "Some Artist" --tl "Some Album" \
  "$E2E_DIR/tone.wav" "$music/tagged.mp3"
library_with_set "Road Trip" "First=$music/song1.mp3" "Second=$music/song2.mp3"
printf '[Options]\r\nautoplayonstart=1\r\nautoplayonopen=1\r\nrandomsong=0\r\nrandomset=0\r\n' >"$conf"
printf '[MiniInfo]\r\nActivateMiniInfo=0\r\n' >>"$conf"
printf '[LastOpened]\r\nLastOpenedLibrarySetName=Road Trip\r\nLastOpenedLibrarySongTitle=First\r\n' >>"$conf"
app_start

status_is() { [ "$(pc status)" = "$1" ]; }
title_is() { [ "$(pc metadata xesam:title)" = "$1" ]; }
wait_until 20 status_is Playing || fail "no player on the bus reports Playing (status: $(pc status))"
wait_until 10 title_is First || fail "the title is not the library title (got: $(pc metadata xesam:title))"
[ "$(pc metadata xesam:album)" = "Road Trip" ] || fail "the album is not the set (got: $(pc metadata xesam:album))"
[ "$(pc metadata xesam:url)" = "file://$music/song1.mp3" ] || fail "url: $(pc metadata xesam:url)"
length=$(pc metadata mpris:length)
[ "$length" -ge 39000000 ] && [ "$length" -le 41000000 ] || fail "length is $length µs, not 40 s"
wait_until 10 audible || fail "the song is not heard (RMS $PROBE_RMS)"

# What the player announces by itself, for clients that listen rather than ask.
gdbus monitor --session --dest org.mpris.MediaPlayer2.dakmp3 >"$E2E_DIR/signals.log" 2>&1 &
monitor=$!
trap 'kill $monitor 2>/dev/null || true; cleanup' EXIT
sleep 0.5
announced() { grep -q "$1" "$E2E_DIR/signals.log"; }

pc play-pause
wait_until 5 announced "'PlaybackStatus': <'Paused'>" || fail "the pause was not announced: $(cat "$E2E_DIR/signals.log")"
wait_until 10 status_is Paused || fail "play-pause did not pause (status: $(pc status))"
wait_until 10 silent || fail "still heard while paused (RMS $PROBE_RMS)"
pc play-pause
wait_until 10 status_is Playing || fail "play-pause did not resume (status: $(pc status))"
wait_until 10 audible || fail "not heard after resuming (RMS $PROBE_RMS)"

# The position moves on while playing; a jump to 30 s lands there.
p1=$(pc position); sleep 1; p2=$(pc position)
awk -v a="$p1" -v b="$p2" 'BEGIN { exit !(b > a && b < 40) }' || fail "position did not advance ($p1 -> $p2)"
pc position 30
at_thirty() { awk -v p="$(pc position)" 'BEGIN { exit !(p >= 29.5 && p < 35) }'; }
wait_until 5 at_thirty || fail "the jump to 30 s did not land (position $(pc position))"
wait_until 5 announced "Seeked (int64 30000000,)" || fail "the jump was not announced: $(cat "$E2E_DIR/signals.log")"

# The volume is the output's master level.
pc volume 0.4
volume_is() { awk -v v="$(pc volume)" 'BEGIN { exit !(v > 0.395 && v < 0.405) }'; }
wait_until 5 volume_is || fail "the volume did not become 0.4 (got $(pc volume))"

pc next
wait_until 10 title_is Second || fail "next did not reach the second song (title: $(pc metadata xesam:title))"
wait_until 5 announced "'xesam:title': <'Second'>" || fail "the new title was not announced"
wait_until 10 status_is Playing || fail "the second song does not play"

# A file outside the library: the title, artist and album of its tag.
pc open "file://$music/tagged.mp3"
wait_until 10 title_is "Tagged Tune" || fail "no tag title for a file outside the library (got: $(pc metadata xesam:title))"
[ "$(pc metadata xesam:artist)" = "Some Artist" ] || fail "artist: $(pc metadata xesam:artist)"
[ "$(pc metadata xesam:album)" = "Some Album" ] || fail "album: $(pc metadata xesam:album)"
wait_until 10 audible || fail "the opened file is not heard (RMS $PROBE_RMS)"

intro=$(gdbus introspect --session --dest org.mpris.MediaPlayer2.dakmp3 --object-path /org/mpris/MediaPlayer2)
for iface in org.mpris.MediaPlayer2 org.mpris.MediaPlayer2.Player; do
  grep -q "interface $iface {" <<<"$intro" || fail "introspection lacks $iface"
done
grep -q "SetPosition(in  o TrackId," <<<"$intro" || fail "SetPosition does not take a track id"

# Quit exits as the menu's Exit does: the configuration names the song open last.
rm -f "$conf"
gdbus call --session --dest org.mpris.MediaPlayer2.dakmp3 --object-path /org/mpris/MediaPlayer2 \
  --method org.mpris.MediaPlayer2.Quit >/dev/null
wait_for_exit 15 || fail "Quit did not end the program"
[ -f "$conf" ] || fail "Quit did not save the configuration"
echo "PASS"
