#!/usr/bin/env bash
# Builds the kit, lays it out as it ships (the two programs and the image in
# one folder), then runs the whole update under Wine against simulated
# drives, on both roads, as a user would go through it:
#   - Windows 98 (the test WNASPI32.DLL): auto insert notification on, the
#     launcher's "Caution" form, Yes, the restart; the launcher again, which
#     starts the flasher and switches the setting back on; licence, update
#     page, question, progress, success box, the restart;
#   - Windows XP (the drive behind a CD-ROM letter, answering SCSI
#     pass-through): the launcher, the flasher at once, the same pages and
#     the update, the success box, the restart.
# Without a display given, the window robot drives the windows on a private
# Xvfb screen, leaves a numbered screenshot of each step, and the script
# prints an account of each step. With KIT_WINE_DISPLAY=:0 the windows open
# on that display for a person to click through; each restart the programs
# ask for is played by starting the launcher again.
#
# Usage: tools/build-and-run.sh [win32|win64]
#   win32 (default) is the shipped build; win64 is for a Wine that can only
#   run 64-bit programs.
#   KIT_BUILD_ROOT  folder for the build trees (default: build/ of the checkout)
# The builds' and the Wine setup's own output goes to build-and-run.log in the
# build folder; the script names it, and shows its end when a step fails.
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

mkdir -p "$build_root"
log=$build_root/build-and-run.log
: >"$log"
# Runs a step with its output in the log; on failure shows the log's end.
quietly() {
  local status=0
  "$@" >>"$log" 2>&1 || status=$?
  ((status == 0)) && return 0
  tail -n 40 "$log" >&2
  echo "build-and-run: failed ($status): $*; its whole output is in $log" >&2
  exit "$status"
}

echo "Building the $preset kit (the build's output goes to $log)"
build=$build_root/$preset
[[ -f $build/CMakeCache.txt ]] || quietly cmake --preset "$preset" -B "$build"
quietly cmake --build "$build" -j 2 --target FlashK818R UpdaterK818R demo_image

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
[[ -f $host/CMakeCache.txt ]] || quietly cmake --preset host -B "$host"
quietly cmake --build "$host" -j 2 --target passthrough_library

# Wine runs the build it can run here: the shipped win32 one where 32-bit
# Wine works, else the win64 one.
wine_work=$build_root/wine-run
runner=tests/wine/runner/wine-test.sh
passthrough_lib=(--passthrough-lib "$host/tests/wine/passthrough")
status=0
"$runner" setup --source "$root" --work "$wine_work" --windows-build-root "$build_root" \
  >>"$log" 2>&1 || status=$?
if ((status == 77)); then
  echo "Wine, Xvfb or ImageMagick is missing (.ci/install-deps installs them); not run."
  exit 0
fi
if ((status != 0)); then
  tail -n 40 "$log" >&2
  echo "build-and-run: the Wine setup failed ($status); its whole output is in $log" >&2
  exit "$status"
fi
if [[ -n ${KIT_WINE_DISPLAY:-} ]]; then
  export KIT_BY_HAND=1 KIT_WINE_CASE_LIMIT=${KIT_WINE_CASE_LIMIT:-3600}
  echo "The windows open on $KIT_WINE_DISPLAY: first Windows 98, then Windows XP."
fi
for road in kit_whole_road_windows_98 kit_whole_road_windows_xp; do
  if [[ -n ${KIT_BY_HAND:-} ]]; then
    "$runner" run "$road" --source "$root" --work "$wine_work" "${passthrough_lib[@]}"
  else
    "$runner" run "$road" --source "$root" --work "$wine_work" "${passthrough_lib[@]}" \
      >"$wine_work/$road.log" 2>&1 || {
      cat "$wine_work/$road.log"
      echo "build-and-run: the $road road failed" >&2
      exit 1
    }
  fi
  run=$wine_work/runs/$road
  echo
  case $road in
    *98) echo "Windows 98, the drives of the test WNASPI32.DLL:" ;;
    *) echo "Windows XP, the drives behind CD-ROM letters:" ;;
  esac
  grep -E '^(aspi|letter) ' "$run/work/scenario.txt" | sed 's/^/    /'
  [[ -f $run/account.txt ]] && nl -w2 -s'. ' "$run/account.txt" | sed 's/^/  /'
  echo "  Screenshots of every step: $run/screenshots"
done
