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

sources=(
  src/gif/gif_index.cpp src/gif/gif_lzw.cpp src/gif/gif_decode.cpp src/gif/gif_limits.cpp
  src/gif/gif_stream.cpp src/gif/gif_scale.cpp src/gif/gif_animation.cpp
  fuzz/gif/gif_fuzz.cpp
)
echo "building $out/gif_fuzz"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Isrc "${sources[@]}" -o "$out/gif_fuzz"

echo "fuzzing for ${seconds}s"
# New inputs go to build/fuzz/corpus; the committed seeds stay as they are.
"$out/gif_fuzz" -max_total_time="$seconds" -max_len=40000 -timeout=20 -rss_limit_mb=2048 \
  -dict=fuzz/gif/gif.dict -artifact_prefix="$out/findings/" -print_final_stats=1 \
  "$out/corpus" fuzz/gif/corpus 2>"$out/fuzz.log" || {
  status=$?
  tail -60 "$out/fuzz.log" >&2
  echo "fuzzing found a problem (exit $status); see $out/findings" >&2
  exit "$status"
}
grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$out/fuzz.log" || true

echo "building $out/dib_fuzz"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Isrc src/imaging/packed_dib.cpp src/imaging/picture_limits.cpp src/base/bgra_image.cpp fuzz/dib/dib_fuzz.cpp \
  -o "$out/dib_fuzz"
dibSeconds=$(( seconds / 4 > 0 ? seconds / 4 : 1 ))
mkdir -p "$out/dib-corpus"
echo "fuzzing the clipboard bitmap reader for ${dibSeconds}s"
"$out/dib_fuzz" -max_total_time="$dibSeconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$out/findings/" -print_final_stats=1 \
  "$out/dib-corpus" fuzz/dib/corpus 2>"$out/dib-fuzz.log" || {
  status=$?
  tail -60 "$out/dib-fuzz.log" >&2
  echo "fuzzing the bitmap reader found a problem (exit $status); see $out/findings" >&2
  exit "$status"
}
grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$out/dib-fuzz.log" || true
echo "fuzzing: no findings"
