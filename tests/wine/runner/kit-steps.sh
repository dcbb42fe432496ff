# The kit's steps for the Wine cases, on the plumbing of wine-plumbing.sh:
# the Windows build's files, the simulated drives (the test WNASPI32.DLL, the
# pass-through letters, their registry keys and request logs), the image,
# the two programs, and the flasher's pages and update.

# The caption of the flasher's pages, the licence page's and the update page's.
readonly PAGE="OD-K818R Firmware Upgrade"

# ---- The Windows build's files ---------------------------------------------

# Where a Windows build puts each file the tests use. Looked up by path, not
# searched for: a build folder can hold other copies (Wine's own wnaspi32.dll
# in the prefix of the backend test, say).
build_file() {
  local name=$1 build=$2
  case $name in
    FlashK818R.exe) echo "$build/app/$name" ;;
    UpdaterK818R.exe) echo "$build/launcher/$name" ;;
    robot.exe | robot-target.exe | flasher-stand-in.exe) echo "$build/tests/wine/$name" ;;
    wnaspi32.dll) echo "$build/tests/wine/aspi/$name" ;;
    *) echo "$build/$name" ;;
  esac
}

# Copies a program of the Windows build into the working folder.
put_program() {
  local path
  path=$(build_file "$1" "$WIN_BUILD")
  [[ -f $path ]] || fail "$1 is not in $WIN_BUILD"
  cp "$path" "$WORK_FOLDER/"
}

# Puts a stand-in for the flasher into the working folder as FlashK818R.exe;
# once started, it leaves $WORK_FOLDER/flasher-started.txt.
put_stand_in_flasher() {
  local path
  path=$(build_file flasher-stand-in.exe "$WIN_BUILD")
  [[ -f $path ]] || fail "flasher-stand-in.exe is not in $WIN_BUILD"
  cp "$path" "$WORK_FOLDER/FlashK818R.exe"
}

# Copies an image file into the working folder as K818R_10.BIN: the demo
# image of the Windows build unless a path is given.
put_image() {
  local image=${1:-$WIN_BUILD/K818R_10.BIN}
  [[ -f $image ]] || fail "no image file $image"
  cp "$image" "$WORK_FOLDER/K818R_10.BIN"
}

# Copies a program into the working folder and starts it as Windows VERSION:
# start_as VERSION EXE.
start_as() {
  set_windows_version "$2" "$1"
  put_program "$2"
  start_program "$2"
}

# Starts the flasher or the launcher from the working folder as Windows VERSION.
start_flasher() { start_as "$1" FlashK818R.exe; }
start_launcher() { start_as "$1" UpdaterK818R.exe; }

# ---- The simulated drives -------------------------------------------------

# Replaces Wine's own wnaspi32.dll with the test one (same lower-case name).
install_test_aspi() {
  [[ -f $ASPI_DLL ]] || fail "wnaspi32.dll is not in $WIN_BUILD"
  cp "$ASPI_DLL" "$(system_folder)/wnaspi32.dll"
  export WINEDLLOVERRIDES="wnaspi32=n;mscoree,mshtml="
  export TEST_ASPI_SCENARIO="$WORK_FOLDER_WIN\\scenario.txt"
  export TEST_ASPI_LOG="$WORK_FOLDER_WIN\\aspi.log"
  ASPI_LOG=$WORK_FOLDER/aspi.log
}

# A system without the library: Wine's own goes too, and the override keeps
# Wine from answering with its built-in one.
remove_aspi() {
  rm -f "$(system_folder)/wnaspi32.dll"
  export WINEDLLOVERRIDES="wnaspi32=n;mscoree,mshtml="
}

# Writes the test DLL's scenario file from standard input.
scenario() { cat >"$WORK_FOLDER/scenario.txt"; }

# The pass-through library: the copy for this run's programs, and the
# preload path from which the loader picks the copy of each process's own
# architecture ($LIB is lib/x86_64-linux-gnu or lib/i386-linux-gnu on Debian).
passthrough_lib_copy() {
  case $ARCH in
    win32) echo "$PASSTHROUGH_LIB_DIR/lib/i386-linux-gnu/libtestpassthrough.so" ;;
    *) echo "$PASSTHROUGH_LIB_DIR/lib/x86_64-linux-gnu/libtestpassthrough.so" ;;
  esac
}

# Puts the scenario's device for LETTER (its `letter E: ...` line) behind a
# CD-ROM drive letter: the letter's device link (\\.\E:) names an empty
# placeholder file, and the programs started afterwards get the library
# preloaded, which answers their pass-through requests on it from the
# scenario and logs them to $PASSTHROUGH_LOG. Call stop_wineserver after the
# last letter (attach_scenario_drives does).
attach_simulated_drive() {
  local letter=${1,,} copy
  copy=$(passthrough_lib_copy)
  [[ -n $PASSTHROUGH_LIB_DIR && -f $copy ]] ||
    fail "the pass-through library for the $ARCH build is missing: $copy (host build, --passthrough-lib)"
  make_cdrom_letter "$letter"
  local placeholders=$RUN_DIR/placeholders
  mkdir -p "$placeholders"
  : >"$placeholders/${letter^^}"
  ln -sfn "$placeholders/${letter^^}" "$RUN_PREFIX/dosdevices/$letter::"
  export TEST_PASSTHROUGH_SCENARIO=$WORK_FOLDER/scenario.txt
  export TEST_PASSTHROUGH_DEVICES=$placeholders
  export TEST_PASSTHROUGH_LOG=$PASSTHROUGH_LOG
  PROGRAM_PRELOAD="$PASSTHROUGH_LIB_DIR/\$LIB/libtestpassthrough.so"
}

# Gives every `letter` line of the scenario its drive letter: a device behind
# it (k818r, cdrom, disk, device=) through attach_simulated_drive, the bare
# type cdromtype as an empty CD-ROM letter. Other drive types are left to
# Wine. Write the scenario first.
attach_scenario_drives() {
  [[ -f $WORK_FOLDER/scenario.txt ]] || fail "attach_scenario_drives: write the scenario first"
  local line letter rest
  while IFS= read -r line; do
    line=${line%%#*}
    [[ $line =~ ^[[:space:]]*letter[[:space:]]+([A-Za-z]):(.*)$ ]] || continue
    letter=${BASH_REMATCH[1]} rest=" ${BASH_REMATCH[2]} "
    if [[ $rest =~ [[:space:]](k818r|cdrom|disk|device=[^[:space:]]+)[[:space:]] ]]; then
      attach_simulated_drive "$letter"
    elif [[ $rest =~ [[:space:]]cdromtype[[:space:]] ]]; then
      make_cdrom_letter "$letter"
    fi
  done <"$WORK_FOLDER/scenario.txt"
  stop_wineserver
}

# The model key under HKLM\Enum\SCSI that Windows 98 gives an OD-K818R of
# a 1.xx firmware revision.
readonly TARGET_KEY=QUAV____OD-K818R________1

# An instance key HKLM\Enum\SCSI\MODEL\INSTANCE as Windows 95/98/ME keeps
# one for a SCSI or ATAPI device: its RevisionLevel text and, when given,
# its one-byte AutoInsertNotification (hex, 00 or 01).
add_scsi_instance() {
  local key="HKLM\\Enum\\SCSI\\$1\\$2"
  wine_reg add "$key" /v RevisionLevel /t REG_SZ /d "$3" /f >/dev/null ||
    fail "could not add $key"
  if [[ -n ${4:-} ]]; then
    wine_reg add "$key" /v AutoInsertNotification /t REG_BINARY /d "$4" /f >/dev/null ||
      fail "could not set AutoInsertNotification under $key"
  fi
}

# The AutoInsertNotification of that instance key as `reg query` shows it
# ("00", "01"), or "none" when it has none.
scsi_setting() {
  reg_value "HKLM\\Enum\\SCSI\\$1\\$2" AutoInsertNotification || echo none
}

# Checks on a request log: the test DLL's ($ASPI_LOG) unless LOG names
# another, such as the pass-through library's ($PASSTHROUGH_LOG):
#   LOG=$PASSTHROUGH_LOG wait_for_log ' E: .* cdb=12 ' 1 30
expect_log_line() {
  grep -qE -- "$1" "${LOG:-$ASPI_LOG}" 2>/dev/null ||
    fail "$(basename "${LOG:-$ASPI_LOG}") has no line matching: $1"
}
log_count() {
  local count
  count=$(grep -cE -- "$1" "${LOG:-$ASPI_LOG}" 2>/dev/null)
  echo "${count:-0}"
}

# Waits until the ASPI log has COUNT lines matching REGEX.
wait_for_log() {
  local regex=$1 count=${2:-1} seconds=${3:-30}
  local deadline=$((SECONDS + seconds))
  while ((SECONDS < deadline)); do
    (($(log_count "$regex") >= count)) && return 0
    sleep 0.1
  done
  fail "$(basename "${LOG:-$ASPI_LOG}") has fewer than $count lines matching: $regex"
}

# The log's request lines without their time stamps.
log_requests() { sed -E 's/^[0-9]+\.[0-9]+ //' "${LOG:-$ASPI_LOG}" 2>/dev/null; }

# ---- The usual opening of a case -------------------------------------------

# The drives and files most cases begin with, from the scenario on
# standard input:
#   prepare_kit [--no-image] VERSION FLASHER
# The scenario's drives go on the road of Windows VERSION: the test
# WNASPI32.DLL on Windows 95/98/ME; on the NT family no ASPI library, and
# the scenario's `letter` lines behind their letters. FLASHER goes into the
# working folder as FlashK818R.exe:
#   flasher    the real one, told VERSION, with the demo image unless --no-image
#   stand-in   the stand-in, which records its start
#   none       nothing
prepare_kit() {
  local image=yes
  if [[ ${1:-} == --no-image ]]; then
    image=no
    shift
  fi
  local version=$1 flasher=$2
  case $version in
    win95 | win98 | winme)
      install_test_aspi
      scenario
      ;;
    *)
      remove_aspi
      scenario
      attach_scenario_drives
      ;;
  esac
  case $flasher in
    flasher)
      put_program FlashK818R.exe
      set_windows_version FlashK818R.exe "$version"
      if [[ $image == yes ]]; then put_image; fi
      ;;
    stand-in) put_stand_in_flasher ;;
    none) ;;
    *) fail "prepare_kit: no flasher $flasher" ;;
  esac
}

# How most cases open, in one call: prepare_kit, then PROGRAM started as
# Windows VERSION, until WINDOW is up:
#   open_kit [--no-image] VERSION PROGRAM [WINDOW]
#   flasher    FlashK818R.exe, until the licence page unless WINDOW is given
#   launcher   UpdaterK818R.exe with the real flasher, likewise
#   stand-in   UpdaterK818R.exe with the stand-in flasher; no wait unless WINDOW
open_kit() {
  local options=()
  if [[ ${1:-} == --no-image ]]; then
    options=(--no-image)
    shift
  fi
  local version=$1 program=$2 window=${3:-$PAGE}
  case $program in
    flasher)
      prepare_kit "${options[@]}" "$version" flasher
      start_program FlashK818R.exe
      ;;
    launcher)
      prepare_kit "${options[@]}" "$version" flasher
      start_launcher "$version"
      ;;
    stand-in)
      prepare_kit "$version" stand-in
      start_launcher "$version"
      window=${3:-}
      ;;
    *) fail "open_kit: no program $program" ;;
  esac
  [[ -z $window ]] || must_robot wait-window "$window" 30000
}

# ---- The launcher ---------------------------------------------------------

# For a person at the display instead of the robot: starts the launcher as
# Windows VERSION, and each time the programs asked Windows to restart and
# have ended, plays the restart and starts the launcher again, as a user
# does; ends when the programs end without asking for one.
by_hand() {
  local version=$1
  for (( ; ; )); do
    start_launcher "$version"
    say "the windows are on $DISPLAY; go on there"
    "$WINESERVER" -w >/dev/null 2>&1 || true  # until every program of the session has ended
    restart_requested || break
    restart_session
  done
  say "the programs ended without asking for a restart"
}

# ---- The flasher's update run ----------------------------------------------

# Takes the flasher from its licence page through Update to the Yes of the
# question box; the update run starts.
confirm_update() {
  must_robot wait-window "$PAGE" 30000
  must_robot click "$PAGE" 1000
  must_robot wait-window "$PAGE" 10000
  wait_for_control "$PAGE" 1007 10000
  must_robot click "$PAGE" 1
  must_robot msgbox FlashK818R 10000
  must_robot press FlashK818R 6
}

# What the box and the page say in English when the read-back does not match.
readonly UPDATE_FAILED_TEXT='OD-K818R Firmware update is Failed.\r\n\r\nFound hardware error. Your drive cannot be updated to new firmware.\n\n '

# The box that ends a failed update run, within MS milliseconds: it says
# FAILED_TEXT and never success; its OK is pressed.
answer_failure_box() {
  local ms=$1 failed_text=$2
  must_robot msgbox FlashK818R "$ms"
  grep -qxF "text	$failed_text" <<<"$ROBOT_OUT" || fail "the box does not say the update failed"
  grep -q 'successfully' <<<"$ROBOT_OUT" && fail "a failed update was reported as a success"
  must_robot press FlashK818R 1
}

# After a failed update: Windows is not restarted, and Exit ends the flasher.
expect_no_restart_then_exit() {
  sleep 2
  restart_requested && fail "Windows was restarted after a failed update"
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the flasher"
}

# The drive commands of the ASPI log as one word each, runs of the same word
# folded into "WORD xN": INQUIRY, TUR, WRITE, CLOSE, READ, OTHER.
command_summary() {
  log_requests | grep -E '^#[0-9]+ EXEC ' | awk '
    {
      cdb = $0; sub(/.*cdb=/, "", cdb); split(cdb, byte, " ")
      buflen = $0; sub(/.*buflen=/, "", buflen); sub(/ .*/, "", buflen)
      if (byte[1] == "12") word = "INQUIRY"
      else if (byte[1] == "00") word = "TUR"
      else if (byte[1] == "5A" && byte[6] == "A0") word = (buflen == "0") ? "CLOSE" : "WRITE"
      else if (byte[1] == "5A" && byte[6] == "11") word = "READ"
      else word = "OTHER"
      if (word == last) { count++; next }
      if (last != "") print (count > 1 ? last " x" count : last)
      last = word; count = 1
    }
    END { if (last != "") print (count > 1 ? last " x" count : last) }'
}

# Seconds between the closing command and the request after it.
seconds_after_closing() {
  grep -E '^[0-9.]+ #[0-9]+ (EXEC|done)' "$ASPI_LOG" | awk '
    / EXEC / && closing_at != "" && !done { print $1 - closing_at; done = 1 }
    / EXEC / && / cdb=5A 00 38 41 53 A0 / && / buflen=0 / && closing_at == "" { closing_at = $1 }'
}
