#!/usr/bin/env bash
# Builds the kit, lays it out as it ships (the two programs and the image in
# one folder), then runs the flasher under Wine as Windows 98 against the
# simulated drives of the test WNASPI32.DLL (a foreign CD-ROM drive, a disk
# and two OD-K818R drives), and as Windows XP against simulated drives
# behind CD-ROM letters (a foreign drive and two OD-K818R drives, one with a
# revision the flasher does not know, answering SCSI pass-through), and
# shows what it sent them.
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
tools/ensure-deps.sh || exit 1

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

# The XP road's drives: the pass-through library, a Linux library of the
# host build.
host=$build_root/host
[[ -f $host/CMakeCache.txt ]] || cmake --preset host -B "$host" >/dev/null
cmake --build "$host" -j 2 --target passthrough_library >/dev/null

# Wine runs the build it can run here: the shipped win32 one where 32-bit
# Wine works, else the win64 one.
wine_work=$build_root/wine-run
runner=tests/wine/runner/wine-test.sh
passthrough_lib=(--passthrough-lib "$host/tests/wine/passthrough")
status=0
"$runner" setup --source "$root" --work "$wine_work" --windows-build-root "$build_root" || status=$?
if ((status == 77)); then
  echo "Wine, Xvfb or ImageMagick is missing (.ci/install-deps installs them); not run."
  exit 0
fi
((status == 0)) || exit "$status"
"$runner" run flasher_scans_aspi_drives --source "$root" --work "$wine_work"
"$runner" run flasher_scans_passthrough_drives --source "$root" --work "$wine_work" "${passthrough_lib[@]}"

run=$wine_work/runs/flasher_scans_aspi_drives
echo
echo "FlashK818R.exe ran under Wine as Windows 98. The drives it was given:"
grep -E '^(aspi|letter) ' "$run/work/scenario.txt" | sed 's/^/  /'
echo "It swept $(grep -c ' GET_DEV_TYPE ' "$run/work/aspi.log") ASPI addresses and sent INQUIRY to each CD-ROM device:"
grep ' EXEC ' "$run/work/aspi.log" | sed -E 's/^[0-9.]+ #[0-9]+ EXEC (ha=[0-9]+ target=[0-9]+ lun=[0-9]+).* cdb=([0-9A-F ]+[0-9A-F]) -> ([0-9A-F]+).*/  \1: CDB \2 -> status \3/'
echo "Screenshots: $run/screenshots; the test DLL's request log: $run/work/aspi.log"

run=$wine_work/runs/flasher_scans_passthrough_drives
echo
echo "FlashK818R.exe ran under Wine as Windows XP. The drives behind its CD-ROM letters:"
grep -E '^letter ' "$run/work/scenario.txt" | sed 's/^/  /'
echo "It opened each letter and sent INQUIRY through SCSI pass-through:"
grep -E ' #[0-9]+ ' "$run/work/passthrough.log" | sed -E 's/^[0-9.]+ #[0-9]+ ([A-Z]:).* cdb=([0-9A-F ]+[0-9A-F]) -> status=([0-9A-F]+).*/  \1 CDB \2 -> status \3/'
echo "Screenshots: $run/screenshots; the pass-through request log: $run/work/passthrough.log"
