#!/usr/bin/env bash
# Synthesises the bundled demo song (a short plucked-string tune over a soft pad) and encodes it.
# Run by hand when the tune changes; demo.mp3 is committed so that a build needs no encoder.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
notes=(C4 E4 G4 C5 A3 C4 E4 A4 F3 A3 C4 F4 G3 B3 D4 G4 C4 E4 G4 C5 E5 C5 G4 E4 C4 G3 C4 E4 G4 C5 C5 C5)
i=0
for n in "${notes[@]}"; do
  sox -n -r 44100 -c 2 "$tmp/n$(printf %02d $i).wav" synth 0.375 pluck "$n" fade 0 0.375 0.05 vol 0.6
  i=$((i + 1))
done
sox "$tmp"/n*.wav "$tmp/melody.wav"
len=$(soxi -D "$tmp/melody.wav")
sox -n -r 44100 -c 2 "$tmp/pad.wav" synth "$len" sine C3 sine G3 fade 0.5 "$len" 1 vol 0.12
sox -m "$tmp/melody.wav" "$tmp/pad.wav" "$tmp/demo.wav" reverb 30 gain -n -3
lame --quiet -b 128 --tt "Demo Song" --ta "DAK-MP3" "$tmp/demo.wav" demo.mp3
