#!/usr/bin/env bash
# Builds what the tests need and runs every test of the kit:
#   0. the layout check: outside win32/ folders (and tests/ and tools/) no
#      file includes windows.h or a header from a win32/ folder;
#   1. the host suites (GoogleTest over the logic and the simulated PC);
#   2. the Wine tests, which run the real programs against the simulated
#      drive (skipped where Wine, Xvfb or ImageMagick is missing);
#   3. the Win32 backend of the OS seam against Wine's Windows API;
#   4. the import check of the shipped 32-bit programs and its self-test;
#   5. the release folder and zip, built twice, byte for byte the same;
#   6. a short fuzz run of each fuzz target (the image check, the whole
#      update, the launcher, the Windows 9x device check).
# A failing group does not stop the others; the exit code says whether all
# of them passed.
#
# Usage: tools/run-tests.sh
#   KIT_BUILD_ROOT  folder for the build trees (default: build/ of the checkout)
#   KIT_FUZZ_SECONDS  length of each target's fuzz run (default 60; 0 leaves them out)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KIT_BUILD_ROOT:-$root/build}
fuzz_seconds=${KIT_FUZZ_SECONDS:-60}
cd "$root"
tools/ensure-deps.sh || exit 1

configure() {
  local preset=$1
  [[ -f $build_root/$preset/CMakeCache.txt ]] || cmake --preset "$preset" -B "$build_root/$preset"
}

# Window and entry-point code lives in win32/ folders; everything else builds
# on the host, so it must not reach for windows.h or for that code.
plain_includes() {
  local offenders
  offenders=$(find . \( -path ./.git -o -path './build*' -o -path ./tests -o -path ./tools \
    -o -name win32 \) -prune -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' \
    -o -name '*.cpp' -o -name '*.inc' \) -print0 |
    xargs -0 -r grep -niE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*/)?(windows\.h|[^>"]*win32/)')
  [[ -z $offenders ]] && return 0
  printf '%s\n' "$offenders" 'these files outside win32/ include windows.h or window code' >&2
  return 1
}

host_tests() {
  configure host &&
    cmake --build "$build_root/host" -j 2 &&
    ctest --test-dir "$build_root/host" --output-on-failure -j 2 -LE wine
}

wine_tests() {
  ctest --test-dir "$build_root/host" --output-on-failure -L wine
}

backend_tests() {
  configure win64 &&
    cmake --build "$build_root/win64" -j 2 --target win32_platform_test &&
    ctest --test-dir "$build_root/win64" --output-on-failure --no-tests=ignore -L backend
}

import_checks() {
  configure win32 &&
    cmake --build "$build_root/win32" -j 2 --target FlashK818R UpdaterK818R &&
    tools/check-imports.sh "$build_root/win32/app/FlashK818R.exe" \
      "$build_root/win32/launcher/UpdaterK818R.exe" &&
    tests/imports/run.sh
}

release_build() {
  tests/release/reproducible.sh
}

fuzzing() {
  FUZZ_BUILD_DIR=$build_root/fuzz tests/fuzz/run.sh "$fuzz_seconds"
}

passed=()
failed=()
group() {
  local name=$1
  shift
  printf '\n== %s\n' "$name"
  if "$@"; then passed+=("$name"); else failed+=("$name"); fi
}

group "plain code keeps out of win32/" plain_includes
group "host tests" host_tests
group "Wine tests" wine_tests
group "Win32 backend under Wine" backend_tests
group "imports of the shipped programs" import_checks
group "the release built twice is the same" release_build
if ((fuzz_seconds > 0)); then
  group "fuzzing each target for $fuzz_seconds s" fuzzing
fi

echo
ran=$((${#passed[@]} + ${#failed[@]}))
if ((${#failed[@]} > 0)); then
  printf 'FAILED: %s\n' "${failed[@]}"
fi
echo "groups: ${#passed[@]} passed, ${#failed[@]} failed"
((${#failed[@]} == 0 && ran > 0))
