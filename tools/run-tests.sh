#!/usr/bin/env bash
# Builds what the tests need and runs every test of the kit:
#   1. the host suites (GoogleTest over the logic and the simulated PC);
#   2. the Wine tests, which run the real programs against the simulated
#      drive (skipped where Wine, Xvfb or ImageMagick is missing);
#   3. the Win32 backend of the OS seam against Wine's Windows API;
#   4. the import check of the shipped 32-bit programs and its self-test;
#   5. a short fuzz run of the image check.
#
# Usage: tools/run-tests.sh
#   KIT_BUILD_ROOT  folder for the build trees (default: build/ of the checkout)
#   KIT_FUZZ_SECONDS  length of the fuzz run (default 30; 0 leaves it out)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KIT_BUILD_ROOT:-$root/build}
fuzz_seconds=${KIT_FUZZ_SECONDS:-30}
cd "$root"

step() { printf '\n== %s\n' "$*"; }

configure_and_build() {
  local preset=$1 dir=$build_root/$1
  [[ -f $dir/CMakeCache.txt ]] || cmake --preset "$preset" -B "$dir"
  cmake --build "$dir" -j 2
}

step "host build"
configure_and_build host

step "host tests"
ctest --test-dir "$build_root/host" --output-on-failure -j 2 -LE wine

step "Wine tests"
ctest --test-dir "$build_root/host" --output-on-failure -L wine

step "Win32 backend under Wine"
dir=$build_root/win64
[[ -f $dir/CMakeCache.txt ]] || cmake --preset win64 -B "$dir"
cmake --build "$dir" -j 2 --target win32_platform_test
ctest --test-dir "$dir" --output-on-failure --no-tests=ignore -L backend

step "imports of the shipped programs"
configure_and_build win32
tools/check-imports.sh "$build_root/win32/app/FlashK818R.exe" \
  "$build_root/win32/launcher/UpdaterK818R.exe"
tests/imports/run.sh

if ((fuzz_seconds > 0)); then
  step "fuzzing the image check for $fuzz_seconds s"
  FUZZ_BUILD_DIR=$build_root/fuzz tests/fuzz/run.sh "$fuzz_seconds"
fi

step "all tests passed"
