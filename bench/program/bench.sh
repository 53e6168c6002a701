#!/usr/bin/env bash
# The whole program against its peers, on the same files:
#   encode: 20 WAV files of 30 s through the program (one run, all files as arguments)
#           against a loop of `lame -b 128 -m j` over the same files;
#   decode: the program's 20 MP3 files back through the program against `mpg123 -w`.
# Prints the wall times, the ratios (peer time / program time: 1.0 is as fast as the
# peer, above is faster) and the peak RSS of each run (/usr/bin/time -v). The best of
# ROUNDS runs counts (default 3). Not a test: nothing passes or fails.
#
#   bash bench/program/bench.sh [path/to/tovanek]
#
# The program runs with SLEEP=0 and WAIT=0 (its own settings file, TOVANEK_INI), without
# a display (console front-end), so the times are the conversions' own. Its encoder
# worker runs at idle priority (the window layout's design value): on a busy machine it
# yields to everything else, so measure on an idle one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="$(realpath "${1:-$root/build/bin/tovanek}")"
rounds="${ROUNDS:-3}"
files="${FILES:-20}"
seconds="${SECONDS_PER_FILE:-30}"
for tool in sox lame mpg123 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tovanek-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/lame" "$work/dec" "$work/mpg123"
printf '[MAIN]\nONAJI=1\nMOTODEL=0\nSLEEP=0\nWAIT=0\n' >"$work/main.ini"

echo "making $files WAV files of $seconds s..."
for i in $(seq -w 1 "$files"); do
  # A chord that moves with the file number, over a little noise: material that keeps
  # the psychoacoustic model busy, unlike a pure tone.
  f=$((200 + 10#$i * 17))
  sox -n -r 44100 -c 2 -b 16 "$work/src/take$i.wav" synth "$seconds" \
    sine "$f" sine "$((f * 5 / 4))" pinknoise tremolo 3 40 gain -9 2>/dev/null
done


# measure COMMAND...: runs it under /usr/bin/time -v, prints "wall_s rss_kb cpu_s".
measure() {
  local log="$work/time.log"
  /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1
  local wall rss cpu
  wall="$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log")"
  rss="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")"
  cpu="$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$log")"
  # h:mm:ss or m:ss.cc -> seconds
  awk -v t="$wall" -v r="$rss" -v c="$cpu" 'BEGIN { n = split(t, p, ":"); s = 0;
    for (i = 1; i <= n; i++) s = s * 60 + p[i]; printf "%.3f %s %.3f\n", s, r, c }'
}

export work
lame_loop() {
  for f in "$work"/src/*.wav; do
    lame --quiet -b 128 -m j "$f" "$work/lame/$(basename "${f%.wav}").mp3"
  done
}
mpg123_loop() {
  for f in "$work"/dec/*.mp3; do
    mpg123 -q -w "$work/mpg123/$(basename "${f%.mp3}").wav" "$f"
  done
}
export -f lame_loop mpg123_loop

best() { sort -n | head -n 1; }

enc_prog=() enc_lame=() dec_prog=() dec_mpg=()
for r in $(seq 1 "$rounds"); do
  rm -f "$work"/src/*.mp3 "$work"/lame/* "$work"/dec/* "$work"/mpg123/*
  enc_prog+=("$(measure env -u DISPLAY -u WAYLAND_DISPLAY TOVANEK_INI="$work/main.ini" \
    "$program" "$work"/src/*.wav)")
  enc_lame+=("$(measure bash -c lame_loop)")
  mv "$work"/src/*.mp3 "$work/dec/"
  dec_prog+=("$(measure env -u DISPLAY -u WAYLAND_DISPLAY TOVANEK_INI="$work/main.ini" \
    "$program" "$work"/dec/*.mp3)")
  dec_mpg+=("$(measure bash -c mpg123_loop)")
  echo "round $r: encode program ${enc_prog[-1]%% *} s, lame ${enc_lame[-1]%% *} s;" \
    "decode program ${dec_prog[-1]%% *} s, mpg123 ${dec_mpg[-1]%% *} s (wall)"
done
made="$(ls "$work"/dec/*.mp3 | wc -l) MP3, $(ls "$work"/dec/*.wav | wc -l) WAV"

report() {  # name program_runs peer_runs peer_name
  local p q
  p="$(printf '%s\n' "${!2}" | best)"
  q="$(printf '%s\n' "${!3}" | best)"
  awk -v name="$1" -v p="$p" -v q="$q" -v peer="$4" 'BEGIN { split(p, a, " "); split(q, b, " ");
    printf "%-7s program %7.3f s (CPU %7.3f s, peak RSS %6d KiB)   %-6s %7.3f s (CPU %7.3f s, peak RSS %6d KiB)   ratio %.3f (CPU %.3f)\n",
      name, a[1], a[3], a[2], peer, b[1], b[3], b[2], b[1] / a[1], b[3] / a[3] }'
}
echo
echo "$files files x $seconds s, best of $rounds rounds ($made made by the program)"
report encode 'enc_prog[@]' 'enc_lame[@]' lame
report decode 'dec_prog[@]' 'dec_mpg[@]' mpg123
echo "ratio = peer wall time / program wall time (goals: encode >= 0.97, decode >= 1.0);"
echo "CPU = the same for user + system time, which load on the machine disturbs less"
echo "(the program's encoder worker runs at idle priority and waits while others run)"
