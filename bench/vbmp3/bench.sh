#!/usr/bin/env bash
# Times libvbmp3 (through vbmp3_bench, in the program's call order) against `mpg123 -w` on a
# 10-minute 128 kbit/s stereo MP3 and prints the ratio mpg123_time / vbmp3_time and the
# peak RSS of both. Medians of RUNS runs (default 5).
#   bench/vbmp3/bench.sh [BUILD_DIR]     (default: build-vbmp3 beside this repository)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-vbmp3}
runs=${RUNS:-5}
harness=$build/bin/vbmp3_bench
[ -x "$harness" ] || { echo "build the vbmp3_bench target first ($harness)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Ten minutes of stereo: a tone per channel.
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth 600 sine 440 sine 660
lame --quiet -b 128 -m j "$work/in.wav" "$work/in.mp3"
rm -f "$work/in.wav"

# Runs a command under /usr/bin/time and prints "seconds peak_kib".
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    cat "$work/time"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$work/ours" && : >"$work/theirs"
for _ in $(seq "$runs"); do
    rm -f "$work/a.wav" "$work/b.wav"
    measure mpg123 -q -w "$work/b.wav" "$work/in.mp3" >>"$work/theirs"
    measure "$harness" "$work/in.mp3" "$work/a.wav" >>"$work/ours"
done
cmp -s <(tail -c +45 "$work/a.wav") <(tail -c +45 "$work/b.wav") && same=identical || same=differ
t_ours=$(cut -d' ' -f1 "$work/ours" | median)
t_theirs=$(cut -d' ' -f1 "$work/theirs" | median)
m_ours=$(cut -d' ' -f2 "$work/ours" | median)
m_theirs=$(cut -d' ' -f2 "$work/theirs" | median)
echo "mp3: $(stat -c %s "$work/in.mp3") bytes, wav: $(stat -c %s "$work/a.wav") bytes, samples $same"
echo "mpg123 -w : ${t_theirs} s, peak RSS ${m_theirs} KiB"
echo "libvbmp3  : ${t_ours} s, peak RSS ${m_ours} KiB"
awk -v a="$t_theirs" -v b="$t_ours" 'BEGIN {printf "ratio mpg123/libvbmp3: %.2f\n", (b > 0 ? a / b : 0)}'
