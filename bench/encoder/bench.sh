#!/usr/bin/env bash
# Times a file-mode encode through TGogoTea (encoder_bench, at idle and at normal worker
# priority) against `lame -b 128 -m j` on the same 10-minute stereo WAV, and prints the
# speed ratio lame_time / ours_time, the peak RSS of both, and the main thread's CPU time
# while it waits. Then the peak RSS for a 1-minute and a 60-minute file.
# Medians of RUNS runs (default 3).
#   bench/encoder/bench.sh [BUILD_DIR]     (default: build-encoder beside this repository)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-encoder}
runs=${RUNS:-3}
harness=$build/bin/encoder_bench
[ -x "$harness" ] || { echo "build the encoder_bench target first ($harness)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Runs a command under /usr/bin/time; appends "wall_s peak_kib" to $1 and the command's
# own output to $1.out.
measure() {
    local log=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >>"$log.out" 2>/dev/null
    cat "$work/time" >>"$log"
}

"$harness" gen 600 "$work/in.wav"
for _ in $(seq "$runs"); do
    measure "$work/lame" lame --quiet -b 128 -m j "$work/in.wav" "$work/lame.mp3"
    measure "$work/normal" "$harness" encode "$work/in.wav" "$work/normal.mp3" normal
    measure "$work/idle" "$harness" encode "$work/in.wav" "$work/idle.mp3" idle
done

t_lame=$(cut -d' ' -f1 "$work/lame" | median)
m_lame=$(cut -d' ' -f2 "$work/lame" | median)
echo "10 min stereo 44.1 kHz 16-bit, medians of $runs runs"
echo "lame -b 128 -m j   : ${t_lame} s, peak RSS ${m_lame} KiB"
for p in normal idle; do
    t=$(cut -d' ' -f1 "$work/$p" | median)
    m=$(cut -d' ' -f2 "$work/$p" | median)
    enc=$(cut -d' ' -f1 "$work/$p.out" | median)
    cpu=$(cut -d' ' -f2 "$work/$p.out" | median)
    ratio=$(awk -v a="$t_lame" -v b="$t" 'BEGIN {printf "%.3f", a / b}')
    share=$(awk -v c="$cpu" -v w="$enc" 'BEGIN {printf "%.3f", 100 * c / w}')
    echo "TGogoTea ($p)$( [ $p = idle ] && echo '  ' || echo '') : ${t} s, peak RSS ${m} KiB," \
        "ratio lame/ours ${ratio}, main thread ${cpu} s CPU = ${share} % of ${enc} s"
done
echo "sizes: lame $(stat -c %s "$work/lame.mp3") bytes, ours $(stat -c %s "$work/normal.mp3") bytes"

rm -f "$work"/*.mp3 "$work/in.wav"
for minutes in 1 60; do
    "$harness" gen $((minutes * 60)) "$work/len.wav"
    : >"$work/len"
    measure "$work/len" "$harness" encode "$work/len.wav" "$work/len.mp3" normal
    echo "${minutes} min: $(cut -d' ' -f1 "$work/len") s, peak RSS $(cut -d' ' -f2 "$work/len") KiB"
    rm -f "$work/len.wav" "$work/len.mp3"
done
