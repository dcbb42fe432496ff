#!/bin/sh
# Fuzzes each target for a bounded time: tests/fuzz/run.sh [seconds] [target...]
# (default: image update launcher device_check, 60 s each). Builds with clang
# into build/fuzz, starts each target from its committed corpus (the image
# check from images made by the image tool) and fails on the first crash,
# leak, sanitizer report or invariant violation.
set -eu
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-image update launcher device_check}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

seed_images() {
  tool=$build/k818r-image
  seeds=$1
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
}

for target in $targets; do
  seeds=$build/seeds/$target
  corpus=$build/corpus/$target
  rm -rf "$seeds"
  mkdir -p "$seeds" "$corpus"
  case $target in
    image) seed_images "$seeds" ;;
    *) cp "$root/tests/fuzz/corpus/$(echo "$target" | tr _ -)"/* "$seeds"/ ;;
  esac

  # The fuzzer's progress lines go to a log; a finding is printed in full.
  log=$build/$target.log
  if "$build/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 "$corpus" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "fuzzing $target: nothing found in $seconds s, $runs executions, $rate per second (log: $log)"
  else
    tail -n 80 "$log"
    echo "fuzzing $target: the fuzzer stopped on a finding (log: $log)"
    exit 1
  fi
done
