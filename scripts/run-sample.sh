#!/usr/bin/env bash
# Builds Tovanek, makes a 10-second stereo sample WAV, converts it to MP3 with the built
# program and the MP3 back to WAV, and shows what it made.
#
# The run uses a settings file of its own (TOVANEK_INI) that saves every output beside
# its source, deletes nothing and makes no pauses; with no display the program uses its
# console front-end. Everything lands in a fresh temporary folder, which is kept.
#
#   bash scripts/run-sample.sh            (BUILD_DIR=... to build elsewhere,
#                                          SKIP_DEPS=1 to skip the package check)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

if [ "${SKIP_DEPS:-0}" != 1 ]; then
  bash "$root/scripts/install-deps.sh"
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tovanek gogo vbmp3 -j2
program="$build/bin/tovanek"

work="$(mktemp -d "${TMPDIR:-/tmp}/tovanek-sample-XXXXXX")"
mkdir -p "$work/wav" "$work/mp3"
printf '[MAIN]\nONAJI=1\nMOTODEL=0\nSLEEP=0\nWAIT=0\n' >"$work/main.ini"

run() {
  env -u DISPLAY -u WAYLAND_DISPLAY TOVANEK_INI="$work/main.ini" "$program" "$@" </dev/null
}

echo "== sample: 10 s, 44.1 kHz, stereo (440 Hz left, 660 Hz right)"
sox -n -r 44100 -c 2 -b 16 "$work/wav/sample.wav" synth 10 sine 440 sine 660 gain -6

echo "== WAV -> MP3"
run "$work/wav/sample.wav"
mv "$work/wav/sample.mp3" "$work/mp3/sample.mp3"

echo "== MP3 -> WAV"
run "$work/mp3/sample.mp3"

echo "== results in $work"
ls -l "$work/wav" "$work/mp3"
echo
echo "-- source";  soxi "$work/wav/sample.wav"
file "$work/mp3/sample.mp3" 2>/dev/null || true
echo "-- decoded"; soxi "$work/mp3/sample.wav"
