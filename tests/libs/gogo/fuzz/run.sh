#!/usr/bin/env bash
# Fuzzes libgogo's WAV reader for a bounded time.
#   tests/libs/gogo/fuzz/run.sh <build-dir> <seconds>
# Uses <build-dir>/bin/gogo_wav_fuzz when the build has it (clang builds), else compiles it
# with clang++ into <build-dir>/gogo-fuzz/. Exits nonzero when the fuzzer finds a crash;
# the reproducer is left in <build-dir>/gogo-fuzz/.
set -euo pipefail
build=${1:?usage: run.sh <build-dir> <seconds>}
seconds=${2:-60}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../../../.." && pwd)
mkdir -p "$build"
build=$(cd "$build" && pwd)
work="$build/gogo-fuzz"
mkdir -p "$work/corpus" "$work/seeds"

bin="$build/bin/gogo_wav_fuzz"
if [ ! -x "$bin" ] && [ -f "$build/CMakeCache.txt" ] &&
   grep -q '^CMAKE_CXX_COMPILER:.*clang' "$build/CMakeCache.txt"; then
  cmake --build "$build" --target gogo_wav_fuzz -j2 >/dev/null 2>&1 || true
fi
if [ ! -x "$bin" ]; then
  bin="$work/gogo_wav_fuzz"
  src="$root/libs/gogo"
  if [ ! -x "$bin" ] || [ -n "$(find "$src" "$here" -newer "$bin" -name '*.[ch]*' -print -quit)" ]; then
    echo "building $bin with clang++" >&2
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
      -I"$root" -I"$src" \
      "$here/WavReaderFuzz.cpp" "$src/WavReader.cpp" "$src/FileSource.cpp" \
      "$src/MemorySource.cpp" "$src/SampleConverter.cpp" -o "$bin"
  fi
fi

# Seeds: small valid files of each accepted layout, written with printf.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
seed() {  # name tag channels rate bits [extensible-subformat]
  local name=$1 tag=$2 ch=$3 rate=$4 bits=$5 sub=${6:-}
  local align=$((ch * bits / 8)) frames=40 fmtsize=16
  [ -n "$sub" ] && fmtsize=40
  local datasize=$((frames * align))
  {
    printf 'RIFF'; le32 $((4 + 8 + fmtsize + 8 + datasize + 8 + 3 + 1)); printf 'WAVE'
    printf 'fmt '; le32 $fmtsize; le16 "$tag"; le16 "$ch"; le32 "$rate"
    le32 $((rate * align)); le16 $align; le16 "$bits"
    if [ -n "$sub" ]; then
      le16 22; le16 "$bits"; le32 3; le16 "$sub"
      printf '\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71'
    fi
    printf 'odd '; le32 3; printf 'abc\x00'
    printf 'data'; le32 $datasize
    head -c $datasize /dev/urandom
  } > "$work/seeds/$name.wav"
}
seed pcm16 1 2 44100 16
seed pcm8 1 1 8000 8
seed pcm24 1 2 48000 24
seed pcm32 1 1 22050 32
seed float 3 2 44100 32
seed ext24 65534 2 44100 24 1
seed extfloat 65534 1 32000 32 3

echo "fuzzing the WAV reader for $seconds s" >&2
cd "$work"
"$bin" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$work/seeds"
