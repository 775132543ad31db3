#!/usr/bin/env bash
# "Associate *.mp3 file extension with DAK-MP3", chosen from the tray menu, makes the program the desktop's
# handler of MP3 files: afterwards `xdg-mime` names its desktop entry, and `xdg-open` on an MP3 whose path
# holds a blank starts the program with that file, which plays it to the sink. The user's desktop folders
# are temporary ones.
. "$(dirname "$0")/lib.sh"
command -v xdg-open >/dev/null || fail "xdg-open is not installed (package xdg-utils)"
e2e_start

export XDG_DATA_HOME="$E2E_DIR/data" XDG_CONFIG_HOME="$E2E_DIR/config"
# A desktop without a known environment: xdg-open uses the freedesktop files alone.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

# An empty song library, so that the start shows no message that would take the keys below.
: >"$APP_DIR/setlib.dat"
app_start
wait_until 20 tray_icon_docked || fail "no tray icon"
# Options is the menu's second item, the association the last item of Options.
tray_click 3
sleep 0.5
xdotool key Down Down Right
sleep 0.3
xdotool key Up Return
desktop_file="$XDG_DATA_HOME/applications/dak-mp3.desktop"
wait_until 10 test -f "$desktop_file" || fail "the menu item wrote no desktop entry"
wait_until 10 test -f "$XDG_CONFIG_HOME/mimeapps.list" || fail "the menu item wrote no mimeapps.list"
[ "$(xdg-mime query default audio/mpeg)" = dak-mp3.desktop ] ||
  fail "xdg-mime names '$(xdg-mime query default audio/mpeg)' as the handler of audio/mpeg"
grep -qx "Exec=$APP_DIR/dak-mp3 %f" "$desktop_file" || fail "unexpected Exec line: $(grep '^Exec' "$desktop_file")"

tray_menu_exit
wait_for_exit 20 || fail "the program did not end"

mkdir -p "$E2E_DIR/my music"
song="$E2E_DIR/my music/a song.mp3"
cp "$APP_DIR/demo.mp3" "$song"
xdg-open "$song" >"$E2E_DIR/xdg-open.log" 2>&1 &
opener=$!
# xdg-open runs the program as its child and waits for it.
wait_until 20 pgrep -P "$opener" -x dak-mp3 || fail "xdg-open started no program: $(cat "$E2E_DIR/xdg-open.log")"
APP_PID=$(pgrep -P "$opener" -x dak-mp3)
mapfile -d '' arguments <"/proc/$APP_PID/cmdline"
[ "${arguments[1]:-}" = "$song" ] || fail "the program got '${arguments[*]:1}' instead of the song"

record 4 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "the song is not audible (RMS $(rms "$E2E_DIR/rec.wav"))"
echo "PASS: xdg-open started the program with the song; RMS $(rms "$E2E_DIR/rec.wav")"
