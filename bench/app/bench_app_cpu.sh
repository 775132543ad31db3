#!/usr/bin/env bash
# CPU seconds of the whole program playing a song from the tray for 30 s, against `mpg123 -o pulse` playing the
# same file for the same 30 s, three alternating rounds; prints the medians and their ratio.
# Needs a desktop with a PulseAudio server (scripts/bench starts one) and DAK_BUILD_DIR.
set -euo pipefail
: "${DAK_BUILD_DIR:?the build folder}"
command -v mpg123 >/dev/null || { echo "bench_app_cpu: mpg123 is not installed" >&2; exit 0; }

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/app"
cp "$DAK_BUILD_DIR/dak-mp3" "$work/app/"
for f in "$DAK_BUILD_DIR"/*.ico "$DAK_BUILD_DIR"/*.bmp "$DAK_BUILD_DIR"/*.png; do
  [ -e "$f" ] && cp "$f" "$work/app/"
done
# A 45 s 128 kbit/s stereo song, so both players are still playing at the end of the window.
sox -n -r 44100 -c 2 "$work/song.wav" synth 45 pinknoise vol 0.3
lame --quiet -b 128 "$work/song.wav" "$work/song.mp3"
rm -f "$work/song.wav"

# Nanoseconds on a processor of all threads of a process (the scheduler's own count; /proc/PID/stat counts in
# 10 ms ticks, too coarse for the few hundredths of a second either player uses in the window).
cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'
}
window() {  # window PID: CPU seconds from 2 s to 32 s after the start
  sleep 2
  local a b
  a=$(cpu_ns "$1")
  sleep 30
  b=$(cpu_ns "$1")
  awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f\n", (b - a) / 1e9 }'
}

app=() peer=()
for round in 1 2 3; do
  rm -f "$work/app/devud3.dat"
  "$work/app/dak-mp3" "$work/song.mp3" >/dev/null 2>&1 &
  pid=$!
  app+=("$(window $pid)")
  kill -TERM $pid; wait $pid 2>/dev/null || true

  mpg123 -q -o pulse "$work/song.mp3" >/dev/null 2>&1 &
  pid=$!
  peer+=("$(window $pid)")
  kill $pid; wait $pid 2>/dev/null || true
done

median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
a=$(median "${app[@]}")
p=$(median "${peer[@]}")
echo "app_playback_cpu_s: $a"
echo "mpg123_playback_cpu_s: $p"
awk -v a="$a" -v p="$p" 'BEGIN { if (p > 0) printf "app_playback_cpu_ratio_vs_mpg123: %.3f\n", a / p }'
