#!/usr/bin/env bash
# Builds the GIF fuzzer (libFuzzer, AddressSanitizer, UBSan) into build/fuzz
# and runs it for a bounded time: scripts/fuzz.sh [SECONDS] (default 60).
# Fails on any finding; the input that caused it is left in build/fuzz/findings.
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
echo "fuzzing: no findings"
