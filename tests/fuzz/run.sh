#!/bin/sh
# Fuzzes the image check for a bounded time: tests/fuzz/run.sh [seconds]
# Builds with clang into build/fuzz, seeds the corpus with images made by the
# image tool, and fails on the first crash, leak or sanitizer report.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

tool=$build/k818r-image
seeds=$build/seeds
corpus=$build/corpus
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
"$tool" block -o "$seeds/a.raw" --length 40 --seed 1
"$tool" block -o "$seeds/b.raw" --length 13 --seed 2
"$tool" block -o "$seeds/c.raw" --length 300 --seed 3
blocks="$seeds/a.raw $seeds/b.raw $seeds/c.raw"
"$tool" build -o "$seeds/good-plain.bin" $blocks
"$tool" build -o "$seeds/good-scrambled.bin" --scrambled $blocks
"$tool" build -o "$seeds/alternate.bin" --selector 0x10 --alternate 0x1234 $blocks
"$tool" build -o "$seeds/wrong-tag.bin" --tag "QUAV OD-K818R" $blocks
"$tool" build -o "$seeds/wrong-sum.bin" --checksum 0xBEEF $blocks
"$tool" build -o "$seeds/count-0.bin" --checksum 0
"$tool" build -o "$seeds/count-9.bin" --count 9 $blocks
head -c 300 "$seeds/good-scrambled.bin" >"$seeds/short-block.bin"
head -c 40 "$seeds/good-plain.bin" >"$seeds/short-header.bin"
rm -f "$seeds"/*.raw

# The fuzzer's progress lines go to a log; a finding is printed in full.
log=$build/fuzz.log
if "$build/image_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
  -print_final_stats=1 "$corpus" "$seeds" >"$log" 2>&1; then
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  echo "fuzzing: nothing found in $seconds s (log: $log)"
else
  tail -n 80 "$log"
  echo "fuzzing: the fuzzer stopped on a finding (log: $log)"
  exit 1
fi
