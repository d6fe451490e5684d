#!/usr/bin/env bash
# Builds the fuzzers (libFuzzer, AddressSanitizer, UBSan) of the GIF core and
# of the clipboard bitmap reader into build/fuzz and runs each for a bounded
# time: scripts/fuzz.sh [SECONDS] (default 60, the GIF core's; the bitmap
# reader gets a quarter of it). Fails on any finding; the input that caused
# it is left in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus" "$out/findings"

# build_fuzzer NAME SOURCE...: builds $out/NAME.
build_fuzzer() {
  local name=$1
  shift
  echo "building $out/$name"
  clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc "$@" -o "$out/$name"
}

# run_fuzzer NAME SECONDS LOG CORPUS SEEDS [OPTION...]: new inputs go to
# CORPUS; the committed SEEDS stay as they are.
run_fuzzer() {
  local name=$1 time=$2 log=$3 corpus=$4 seeds=$5
  shift 5
  mkdir -p "$corpus"
  echo "fuzzing $name for ${time}s"
  "$out/$name" -max_total_time="$time" -timeout=20 -rss_limit_mb=2048 "$@" \
    -artifact_prefix="$out/findings/" -print_final_stats=1 "$corpus" "$seeds" 2>"$log" || {
    status=$?
    tail -60 "$log" >&2
    echo "fuzzing $name found a problem (exit $status); see $out/findings" >&2
    exit "$status"
  }
  grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$log" || true
}

build_fuzzer gif_fuzz \
  src/gif/gif_index.cpp src/gif/gif_lzw.cpp src/gif/gif_decode.cpp src/gif/gif_limits.cpp \
  src/gif/gif_stream.cpp src/gif/gif_scale.cpp src/gif/gif_animation.cpp \
  fuzz/gif/gif_fuzz.cpp
run_fuzzer gif_fuzz "$seconds" "$out/fuzz.log" "$out/corpus" fuzz/gif/corpus -max_len=40000 -dict=fuzz/gif/gif.dict

build_fuzzer dib_fuzz src/imaging/packed_dib.cpp src/imaging/picture_limits.cpp src/base/bgra_image.cpp \
  fuzz/dib/dib_fuzz.cpp
run_fuzzer dib_fuzz $(( seconds / 4 > 0 ? seconds / 4 : 1 )) "$out/dib-fuzz.log" "$out/dib-corpus" fuzz/dib/corpus \
  -max_len=4096
echo "fuzzing: no findings"
