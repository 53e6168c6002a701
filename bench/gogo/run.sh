#!/usr/bin/env bash
# Benchmarks libgogo against the lame command line on a generated 10-minute stereo 16-bit
# 44.1 kHz WAV: libgogo with the encoder component's default settings (psychoacoustics off,
# 128 kbit/s, joint stereo) versus `lame -b 128 -m j`. Prints the wall times (median of
# RUNS), the CPU times (user + sys, median), the speed ratios lame/libgogo of both and the
# peak RSS of both. On a shared machine the CPU ratio is the one to trust: wall time then
# also measures the other processes. The load average is printed for that reason.
#   bench/gogo/run.sh [build-dir] [seconds-of-audio]
# Environment: RUNS (default 3), BENCH_TMP (default a fresh folder under /tmp).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-gogo}" && pwd)
seconds=${2:-600}
runs=${RUNS:-3}
lib="$build/bin/libgogo.so"
[ -f "$lib" ] || { echo "no $lib: build the target gogo first" >&2; exit 1; }
command -v lame >/dev/null || { echo "lame is not installed (Debian package lame)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian package time)" >&2; exit 1; }

tmp=${BENCH_TMP:-$(mktemp -d /tmp/gogo-bench.XXXXXX)}
mkdir -p "$tmp"
trap '[ -z "${BENCH_TMP:-}" ] && rm -rf "$tmp"' EXIT
harness="$tmp/gogo_bench"
c++ -std=c++20 -O2 -I"$root" "$here/GogoBench.cpp" -o "$harness" \
  -L"$build/bin" -lgogo -Wl,-rpath,"$build/bin"

wav="$tmp/in.wav"
"$harness" make-wav "$wav" "$seconds"

measure() {  # command...: prints "<wall-seconds> <max-rss-kb> <cpu-seconds>"
  local log="$tmp/time.log"
  /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; exit 1; }
  local wall rss cpu
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log" |
         awk -F: '{ if (NF == 3) print $1*3600 + $2*60 + $3; else print $1*60 + $2 }')
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
  cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$log")
  echo "$wall $rss $cpu"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: > "$tmp/ours" ; : > "$tmp/lame"
for i in $(seq "$runs"); do
  measure "$harness" encode "$wav" "$tmp/ours.mp3" >> "$tmp/ours"
  measure lame --quiet -b 128 -m j "$wav" "$tmp/lame.mp3" >> "$tmp/lame"
done
ours=$(cut -d' ' -f1 "$tmp/ours" | median)
theirs=$(cut -d' ' -f1 "$tmp/lame" | median)
ours_rss=$(cut -d' ' -f2 "$tmp/ours" | median)
lame_rss=$(cut -d' ' -f2 "$tmp/lame" | median)
ours_cpu=$(cut -d' ' -f3 "$tmp/ours" | median)
lame_cpu=$(cut -d' ' -f3 "$tmp/lame" | median)
echo "audio: ${seconds} s stereo 16-bit 44.1 kHz, ${runs} runs each (median)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "libgogo (8=0, 4=128, 3=2): wall ${ours} s, CPU ${ours_cpu} s, peak RSS ${ours_rss} KiB, MP3 $(stat -c %s "$tmp/ours.mp3") bytes"
echo "lame -b 128 -m j:          wall ${theirs} s, CPU ${lame_cpu} s, peak RSS ${lame_rss} KiB, MP3 $(stat -c %s "$tmp/lame.mp3") bytes"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "speed ratio lame/libgogo, wall: %.2f\n", a / b }'
awk -v a="$lame_cpu" -v b="$ours_cpu" 'BEGIN { printf "speed ratio lame/libgogo, CPU:  %.2f\n", a / b }'
