#!/usr/bin/env bash
# The installed program: `cmake --install` into a prefix, checked by the desktop's validators, then run from
# that prefix mounted read-only. It finds its run-time files in share/dak-mp3 (no box reports a missing
# icon), plays, and at exit writes its configuration to $XDG_CONFIG_HOME/dak-mp3 with the default library
# folder $XDG_DATA_HOME/dak-mp3 — nothing in the prefix. Run again from the same prefix made writable (as
# root in /usr/bin, or a prefix in the home folder), it still keeps its settings there and not in bin/.
# Needs root for the read-only bind mount.
. "$(dirname "$0")/lib.sh"
[ "$(id -u)" = 0 ] || { echo "SKIP: a read-only bind mount needs root"; exit 77; }
e2e_start

prefix="$E2E_DIR/prefix"
cmake --install "$DAK_BUILD_DIR" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
for f in bin/dak-mp3 share/dak-mp3/play.ico share/dak-mp3/treeview_song.bmp share/dak-mp3/demo.mp3 \
         share/applications/dak-mp3.desktop share/icons/hicolor/scalable/apps/dak-mp3.svg; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
desktop-file-validate "$prefix/share/applications/dak-mp3.desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null ||
  fail "the AppStream metadata does not validate: $(appstreamcli validate --no-net "$prefix"/share/metainfo/*.xml)"

mount --bind "$prefix" "$prefix" && mount -o remount,ro,bind "$prefix" || fail "could not mount the prefix read-only"
trap 'umount "$prefix" 2>/dev/null || true; cleanup' EXIT
touch "$prefix/bin/probe" 2>/dev/null && fail "the prefix is writable after all"

export XDG_CONFIG_HOME="$E2E_DIR/config" XDG_DATA_HOME="$E2E_DIR/data"
"$prefix/bin/dak-mp3" "$prefix/share/dak-mp3/demo.mp3" >"$E2E_DIR/app.log" 2>&1 &
APP_PID=$!
wait_until 20 tray_icon_docked || fail "the tray icon did not dock"
record 3 "$E2E_DIR/rec.wav"
louder_than "$E2E_DIR/rec.wav" 0.01 || fail "the installed program is not heard (RMS $(rms "$E2E_DIR/rec.wav"))"
main_window_visible && fail "a box came up (a run-time file not found?)"

tray_menu_exit
wait_for_exit 10 || fail "the program did not end (could it not save?)"
config="$XDG_CONFIG_HOME/dak-mp3/devud3.dat"
[ -f "$config" ] || fail "no configuration in $XDG_CONFIG_HOME/dak-mp3: $(find "$E2E_DIR/config" "$E2E_DIR/data" 2>/dev/null)"
[ "$(ini_value "$config" Options libraryfolder)" = "$XDG_DATA_HOME/dak-mp3/" ] ||
  fail "library folder $(ini_value "$config" Options libraryfolder)"
[ -d "$XDG_DATA_HOME/dak-mp3" ] || fail "the default library folder was not made"
umount "$prefix" || fail "could not unmount the prefix"
rm -f "$config"
"$prefix/bin/dak-mp3" >"$E2E_DIR/app.log" 2>&1 &
APP_PID=$!
wait_until 20 tray_icon_docked || fail "the tray icon did not dock (writable prefix)"
tray_menu_exit
wait_for_exit 10 || fail "the program did not end (writable prefix)"
[ -f "$config" ] || fail "the writable installed tree kept no configuration in $XDG_CONFIG_HOME/dak-mp3"
[ -e "$prefix/bin/devud3.dat" ] && fail "the writable installed tree wrote its configuration into bin/"
echo "PASS: installed program played from a read-only prefix and saved to $config"
