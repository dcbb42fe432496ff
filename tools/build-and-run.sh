#!/usr/bin/env bash
# Builds the kit and lays it out as it ships: the two programs and the image
# in one folder.
#
# Usage: tools/build-and-run.sh [win32|win64]
#   win32 (default) is the shipped build; win64 is for a Wine that can only
#   run 64-bit programs.
#   KIT_BUILD_ROOT  folder for the build trees (default: build/ of the checkout)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KIT_BUILD_ROOT:-$root/build}
preset=${1:-win32}
case $preset in
  win32 | win64) ;;
  *) echo "usage: $0 [win32|win64]" >&2; exit 2 ;;
esac
cd "$root"

build=$build_root/$preset
[[ -f $build/CMakeCache.txt ]] || cmake --preset "$preset" -B "$build"
cmake --build "$build" -j 2 --target FlashK818R UpdaterK818R demo_image

kit=$build_root/kit-$preset
rm -rf "$kit"
mkdir -p "$kit"
cp "$build/launcher/UpdaterK818R.exe" "$build/app/FlashK818R.exe" "$build/K818R_10.BIN" "$kit/"
tools/check-imports.sh "$kit"

echo "The kit is in $kit:"
ls -l "$kit"
echo "Start UpdaterK818R.exe from that folder on Windows."
