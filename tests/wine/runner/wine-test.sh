#!/usr/bin/env bash
# Runs the kit's Windows programs under Wine for the tests.
#
#   wine-test.sh setup --source DIR --work DIR [--windows-build-root DIR]
#       Chooses the build Wine can run here (win32 where 32-bit Wine works,
#       else win64), builds it into ROOT/win32 or ROOT/win64 (ROOT: the work
#       folder unless given), and prepares the cached prefix template.
#   wine-test.sh run CASE [--variant V] --source DIR --work DIR [--passthrough-lib DIR]
#       Runs tests/wine/cases/CASE.sh in a fresh copy of the prefix, on its
#       own Xvfb, and leaves screenshots and logs in WORK/runs/CASE (or
#       CASE.V: a case that runs once per variant reads V as CASE_VARIANT). The
#       --passthrough-lib folder holds the host build's pass-through library
#       (lib/<arch>/libtestpassthrough.so), which cases that put simulated
#       drives behind drive letters need.
#
# Environment: KIT_WINE_DISPLAY=:0 shows a run on that display instead of
# a private Xvfb; KIT_WINE_KEEP_PREFIX=1 keeps the run's prefix;
# KIT_WINE_CASE_LIMIT bounds a case in seconds (default 240);
# KIT_WINE_PROGRAM_DEBUG adds Wine debug channels to the programs' log.
#
# Exit code 77: Wine, Xvfb or ImageMagick is missing (CTest skips the test).
set -u

readonly SKIPPED=77
MODE=${1:-}
shift || true
CASE=
if [[ $MODE == run ]]; then
  CASE=${1:-}
  shift || true
fi
SOURCE_DIR=
WORK_DIR=
WINDOWS_BUILD_ROOT=
PASSTHROUGH_LIB_DIR=
CASE_VARIANT=
while (($#)); do
  case $1 in
    --source) SOURCE_DIR=$2; shift 2 ;;
    --work) WORK_DIR=$2; shift 2 ;;
    --windows-build-root) WINDOWS_BUILD_ROOT=$2; shift 2 ;;
    --passthrough-lib) PASSTHROUGH_LIB_DIR=$2; shift 2 ;;
    --variant) CASE_VARIANT=$2; shift 2 ;;
    *) echo "wine-test.sh: unknown argument $1"; exit 2 ;;
  esac
done
[[ -n $SOURCE_DIR && -n $WORK_DIR ]] || { echo "wine-test.sh: --source and --work are needed"; exit 2; }
SOURCE_DIR=$(cd "$SOURCE_DIR" && pwd)
mkdir -p "$WORK_DIR"
WORK_DIR=$(cd "$WORK_DIR" && pwd)
# The programs start in their own folder: the preload path must be absolute.
if [[ -n $PASSTHROUGH_LIB_DIR && -d $PASSTHROUGH_LIB_DIR ]]; then
  PASSTHROUGH_LIB_DIR=$(cd "$PASSTHROUGH_LIB_DIR" && pwd)
fi

# shellcheck source=wine-lib.sh
source "$SOURCE_DIR/tests/wine/runner/wine-lib.sh"

TEMPLATE=$WORK_DIR/prefix-template
PROGRAM_PIDS=()

check_tools() {
  local missing=()
  command -v Xvfb >/dev/null || missing+=(Xvfb)
  command -v import >/dev/null || missing+=("ImageMagick import")
  find_wine || missing+=(wine64)
  if ((${#missing[@]})); then
    say "SKIP: not installed: ${missing[*]}"
    exit "$SKIPPED"
  fi
}

# Compiles and runs the i686 probe in the template prefix.
# Compiles the i686 probe and runs it in the template prefix, through the
# 64-bit loader (which hands 32-bit programs to the 32-bit one) and then
# through the 32-bit loader itself. Sets PROGRAM_LOADER to the one that ran it.
wine_runs_i686() {
  local probe_dir=$WORK_DIR/probe
  rm -rf "$probe_dir"
  mkdir -p "$probe_dir"
  local compiler
  compiler=$(command -v i686-w64-mingw32-gcc-win32 || command -v i686-w64-mingw32-gcc || true)
  [[ -n $compiler ]] || { say "Wine: no i686 compiler for the probe"; return 1; }
  "$compiler" -O1 -o "$probe_dir/probe32.exe" "$SOURCE_DIR/tests/wine/runner/probe32.c" || return 1
  local loader
  for loader in "$WINE" /usr/lib/wine/wine "$(command -v wine || true)"; do
    [[ -n $loader && -x $loader ]] || continue
    (
      wine_env "$TEMPLATE"
      export WINELOADER=$loader
      cd "$probe_dir" && "$loader" ./probe32.exe >>"$probe_dir/wine.log" 2>&1
      stop_wineserver
    )
    if [[ -f $probe_dir/probe-ran.txt ]]; then
      PROGRAM_LOADER=$loader
      return 0
    fi
  done
  return 1
}

build_windows() {
  local preset=$1 dir=$2
  if [[ ! -f $dir/CMakeCache.txt ]]; then
    say "Wine: configuring the $preset build in $dir"
    (cd "$SOURCE_DIR" && cmake --preset "$preset" -B "$dir" >"$WORK_DIR/configure-$preset.log" 2>&1) ||
      fail "configuring the $preset build failed (see $WORK_DIR/configure-$preset.log)"
  fi
  say "Wine: building the $preset build in $dir"
  cmake --build "$dir" -j2 >"$WORK_DIR/build-$preset.log" 2>&1 ||
    fail "building the $preset build failed (see $WORK_DIR/build-$preset.log)"
}

setup() {
  check_tools
  exec 9>"$WORK_DIR/setup.lock"
  flock 9
  prepare_template "$TEMPLATE"
  local arch=win64
  PROGRAM_LOADER=$WINE
  if wine_runs_i686; then
    arch=win32
    say "Wine: 32-bit programs run here; testing the shipped win32 build"
  else
    say "Wine: 32-bit programs do not run here (no working wine32); testing the win64 build"
  fi
  local build=${WINDOWS_BUILD_ROOT:-$WORK_DIR}/$arch
  build_windows "$arch" "$build"
  printf '%s\n%s\n%s\n' "$arch" "$build" "$PROGRAM_LOADER" >"$WORK_DIR/windows-build"
  if [[ -n $PASSTHROUGH_LIB_DIR ]]; then
    local library
    library=$(ARCH=$arch passthrough_lib_copy)
    [[ -f $library ]] || say "Wine: no pass-through library for the $arch build ($library): the XP cases with simulated drives will fail"
  fi
  local needed
  for needed in robot.exe robot-target.exe flasher-stand-in.exe wnaspi32.dll FlashK818R.exe \
    UpdaterK818R.exe; do
    [[ -f $(build_file "$needed" "$build") ]] || fail "$needed was not built in $build"
  done
  say "Wine: ready ($arch build in $build, programs through $PROGRAM_LOADER)"
}

finish_run() {
  local status=$?
  trap - EXIT
  if ((status != 0)) && [[ -n ${DISPLAY:-} && -n ${SHOTS_DIR:-} ]]; then
    screenshot at-failure
  fi
  # The working folder lives in the prefix, which goes; keep its files.
  if [[ -n ${WORK_FOLDER:-} && -d $WORK_FOLDER ]]; then
    rm -rf "$RUN_DIR/work"
    cp -a "$WORK_FOLDER" "$RUN_DIR/work" 2>/dev/null || true
  fi
  cleanup_run
  if ((status == 0)); then
    say "PASS $CASE${CASE_VARIANT:+ ($CASE_VARIANT)} (screenshots and logs: $RUN_DIR)"
  elif ((status != SKIPPED)); then
    say "Screenshots: $SHOTS_DIR"
    say "Logs: $RUN_DIR/work (aspi.log: the test DLL's requests; passthrough.log: the" \
      "pass-through library's), $RUN_DIR/program.log"
  fi
  exit "$status"
}

run() {
  check_tools
  local case_file=$SOURCE_DIR/tests/wine/cases/$CASE.sh
  [[ -f $case_file ]] || fail "no test case $case_file"
  [[ -f $WORK_DIR/windows-build && -f $TEMPLATE/.kit-layout ]] ||
    fail "the Wine setup has not run (wine-test.sh setup)"
  ARCH=$(sed -n 1p "$WORK_DIR/windows-build")
  WIN_BUILD=$(sed -n 2p "$WORK_DIR/windows-build")
  # The loader that ran the probe runs the programs and the robot.
  WINE=$(sed -n 3p "$WORK_DIR/windows-build")
  [[ -x $WINE ]] || fail "the Wine setup is out of date (wine-test.sh setup)"
  ROBOT=$(build_file robot.exe "$WIN_BUILD")
  ASPI_DLL=$(build_file wnaspi32.dll "$WIN_BUILD")

  RUN_DIR=$WORK_DIR/runs/$CASE${CASE_VARIANT:+.$CASE_VARIANT}
  end_leftovers "$RUN_DIR"
  rm -rf "$RUN_DIR"
  SHOTS_DIR=$RUN_DIR/screenshots
  mkdir -p "$SHOTS_DIR"
  RUN_PREFIX=$RUN_DIR/prefix
  trap finish_run EXIT
  trap 'exit 1' INT TERM
  start_watchdog "${KIT_WINE_CASE_LIMIT:-240}"
  cp -a "$TEMPLATE" "$RUN_PREFIX" || fail "could not copy the prefix template"
  WORK_FOLDER=$RUN_PREFIX/drive_c/kit
  WORK_FOLDER_WIN='C:\kit'
  mkdir -p "$WORK_FOLDER"
  ASPI_LOG=$WORK_FOLDER/aspi.log
  PASSTHROUGH_LOG=$WORK_FOLDER/passthrough.log

  # shellcheck source=/dev/null
  source "$case_file"
  wine_env "$RUN_PREFIX"
  start_xvfb
  say "Wine: $CASE${CASE_VARIANT:+ ($CASE_VARIANT)} with the $ARCH build on display $DISPLAY"
  run_case
  # A scenario the DLL could not read leaves it without devices; say so
  # even when the case's own checks did not notice.
  local log
  for log in "$ASPI_LOG" "$PASSTHROUGH_LOG"; do
    if [[ -f $log ]] && grep -q 'scenario error' "$log"; then
      fail "$(grep -m1 'scenario error' "$log" | cut -d' ' -f2-)"
    fi
  done
}

case $MODE in
  setup) setup ;;
  run) run ;;
  *) echo "usage: wine-test.sh setup|run CASE --source DIR --work DIR"; exit 2 ;;
esac
