# Shared pieces of the Wine test runner: the Wine loader, the cached prefix,
# Xvfb, the robot, the registry, screenshots and cleanup. Sourced by
# wine-test.sh; every function reports through `say` and fails through `fail`.

# Bump when the prepared prefix changes, so that cached ones are rebuilt.
readonly PREFIX_LAYOUT=7

say() { printf '%s\n' "$*"; }
fail() {
  printf 'FAIL: %s\n' "$*"
  exit 1
}

# The 64-bit loader: 32-bit programs in its prefix start through it as well
# when the 32-bit half of Wine can run.
find_wine() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [[ -n $candidate && -x $candidate ]]; then
      WINE=$candidate
      break
    fi
  done
  # The runs may use the 32-bit loader for the programs; settings that
  # Wine's own 64-bit services read are written through this one.
  WINE64=${WINE:-}
  for candidate in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
    if [[ -n $candidate && -x $candidate ]]; then
      WINESERVER=$candidate
      break
    fi
  done
  [[ -n ${WINE:-} && -n ${WINESERVER:-} ]]
}

wine_env() {
  export WINEPREFIX=$1
  export WINELOADER=$WINE
  export WINESERVER
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  # UTF-8, so that titles and texts cross between Linux and Wine intact.
  export LANG=C.UTF-8
  unset LC_ALL
}

stop_wineserver() {
  [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] || return 0
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
}

# Builds the template prefix once per work folder; runs copy it.
prepare_template() {
  local template=$1
  if [[ -f $template/.kit-layout && $(cat "$template/.kit-layout") == "$PREFIX_LAYOUT" ]]; then
    return 0
  fi
  # A setup killed half-way may have left its wineserver behind.
  if [[ -d $template.new ]]; then
    WINEPREFIX=$template.new "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
  rm -rf "$template" "$template.new"
  [[ -f /usr/share/wine/fonts/marlett.ttf ]] ||
    fail "Wine's own fonts are missing: install fonts-wine (.ci/install-deps)"
  say "Wine: creating the prefix template $template"
  (
    wine_env "$template.new"
    "$WINE" wineboot -i >/dev/null 2>&1
    # No window manager on Xvfb: let Wine draw the frames itself.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Wine's own faces (Marlett draws the title-bar buttons, "MS Sans Serif"
    # and Tahoma the dialogs and captions); this Wine does not look for them
    # where Debian's fonts-wine puts them, only in the Windows font folder.
    cp /usr/share/wine/fonts/* "$template.new/drive_c/windows/Fonts/" || exit 1
    # Japanese boxes show empty squares without these.
    local face
    for face in "MS UI Gothic=IPAGothic" "MS Gothic=IPAGothic" "ＭＳ ゴシック=IPAGothic" \
      "MS PGothic=IPAPGothic" "ＭＳ Ｐゴシック=IPAPGothic"; do
      "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%=*}" /d "${face#*=}" /f \
        >/dev/null 2>&1
    done
    stop_wineserver
  ) || fail "could not create the Wine prefix"
  [[ -d $template.new/drive_c/windows ]] || fail "wineboot made no prefix in $template.new"
  echo "$PREFIX_LAYOUT" >"$template.new/.kit-layout"
  mv "$template.new" "$template"
}

# Starts Xvfb on a display it finds free itself, unless KIT_WINE_DISPLAY
# names a display to watch the run on.
start_xvfb() {
  if [[ -n ${KIT_WINE_DISPLAY:-} ]]; then
    export DISPLAY=$KIT_WINE_DISPLAY
    return 0
  fi
  local display_file=$RUN_DIR/xvfb-display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
    >"$RUN_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  echo "$XVFB_PID $(start_time "$XVFB_PID")" >"$RUN_DIR/xvfb.pid"
  local deadline=$((SECONDS + 10))
  while ((SECONDS < deadline)); do
    [[ -s $display_file ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start (see $RUN_DIR/xvfb.log)"
    sleep 0.1
  done
  [[ -s $display_file ]] || fail "Xvfb gave no display"
  DISPLAY=":$(tr -dc 0-9 <"$display_file")"
  export DISPLAY
}

# When a process started, in clock ticks since boot (empty when it is gone).
start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  cut -d' ' -f20 <<<"$stat"
}

# A run killed outright (CTest's time-out) could not clean up; the next run
# of the same case ends what it left: its Xvfb, by PID, and its prefix's
# processes through that prefix's own wineserver.
end_leftovers() {
  local old=$1 pid
  [[ -d $old ]] || return 0
  if [[ -f $old/xvfb.pid ]]; then
    local started
    read -r pid started <"$old/xvfb.pid"
    # The same PID and start time: that Xvfb, not a later process reusing the PID.
    if [[ $pid =~ ^[0-9]+$ && -n $started && $(start_time "$pid") == "$started" ]]; then
      kill "$pid" 2>/dev/null || true
    fi
  fi
  if [[ -d $old/prefix ]]; then
    WINEPREFIX=$old/prefix "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
}

# Ends the run from inside before CTest's time-out would kill it outright.
start_watchdog() {
  local seconds=$1 runner=$$
  (
    # One-second naps: nothing of it outlives the run by more than that.
    local waited
    for ((waited = 0; waited < seconds; waited++)); do
      sleep 1
      kill -0 "$runner" 2>/dev/null || exit 0
    done
    echo "FAIL: the case took longer than $seconds s"
    kill -TERM "$runner" 2>/dev/null
  ) &
  WATCHDOG_PID=$!
}

cleanup_run() {
  if [[ -n ${WATCHDOG_PID:-} ]]; then
    kill "$WATCHDOG_PID" 2>/dev/null || true
  fi
  local pid
  for pid in "${PROGRAM_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  stop_wineserver
  for pid in "${PROGRAM_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  if [[ -n ${XVFB_PID:-} ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  if [[ -z ${KIT_WINE_KEEP_PREFIX:-} && -n ${RUN_PREFIX:-} ]]; then
    rm -rf "$RUN_PREFIX"
  fi
}

# One line of the run's account for a person (account.txt of the run): what
# was on the screen, what was done, what the registry and the drive say.
step() {
  say "== $*"
  printf '%s\n' "$*" >>"$RUN_DIR/account.txt"
}

# Saves the whole screen; STEP names the picture.
STEP_NUMBER=0
screenshot() {
  STEP_NUMBER=$((STEP_NUMBER + 1))
  local name
  name=$(printf '%02d-%s' "$STEP_NUMBER" "$(printf '%s' "$1" | tr -c 'A-Za-z0-9_-' '_' | cut -c1-40)")
  import -display "$DISPLAY" -window root "$SHOTS_DIR/$name.png" 2>/dev/null || true
}

# Runs the robot; its output lands in ROBOT_OUT and on the test's output.
robot() {
  local status=0
  ROBOT_OUT=$("$WINE" "$ROBOT" "$@" 2>"$RUN_DIR/robot.err") || status=$?
  say "robot $* -> $status"
  [[ -n $ROBOT_OUT ]] && sed 's/^/  | /' <<<"$ROBOT_OUT"
  [[ -s $RUN_DIR/robot.err ]] && sed 's/^/  ! /' "$RUN_DIR/robot.err"
  screenshot "$*"
  return "$status"
}

must_robot() { robot "$@" || fail "robot $* failed"; }

# Field N of the line named NAME in the robot's last answer ("rect", "owner"...).
robot_field() { awk -F'\t' -v name="$1" -v n="$2" '$1 == name { print $n; exit }' <<<"$ROBOT_OUT"; }
# The "rect" line of the robot's last answer: left top width height.
robot_rect() { echo "$(robot_field rect 2) $(robot_field rect 3) $(robot_field rect 4) $(robot_field rect 5)"; }

wine_reg() { "$WINE" reg "$@" 2>&1; }

# The data of one registry value as `reg query` shows it; fails when absent.
reg_value() {
  local output
  output=$("$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  awk -v name="$2" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, name "    ") == 1 {
      rest = substr(line, length(name) + 5)
      sub(/^REG_[A-Z_]+    /, "", rest)
      print rest
      found = 1
      exit
    }
    END { exit !found }' <<<"$output"
}

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

set_windows_version() {
  "$WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$1" /v Version /d "$2" /f >/dev/null 2>&1 ||
    fail "could not set the Windows version of $1"
}

# The folder GetSystemDirectoryA of the program under test resolves to.
system_folder() {
  if [[ $ARCH == win32 && -d $RUN_PREFIX/drive_c/windows/syswow64 ]]; then
    echo "$RUN_PREFIX/drive_c/windows/syswow64"
  else
    echo "$RUN_PREFIX/drive_c/windows/system32"
  fi
}

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

# Starts a program of the working folder in the background.
start_program() {
  say "start $1 (${ARCH} build)"
  # Wine's process trace records a restart of Windows (restart_requested);
  # KIT_WINE_PROGRAM_DEBUG adds channels of one's own (e.g. +relay).
  local channels=-all,trace+process${KIT_WINE_PROGRAM_DEBUG:+,$KIT_WINE_PROGRAM_DEBUG}
  (
    cd "$WORK_FOLDER" || exit 1
    [[ -n ${PROGRAM_PRELOAD:-} ]] && export LD_PRELOAD=$PROGRAM_PRELOAD
    WINEDEBUG=$channels exec "$WINE" "$@"
  ) >>"$RUN_DIR/program.log" 2>&1 &
  PROGRAM_PIDS+=($!)
}

# Waits for the wine process of the last started program to end.
wait_program() {
  local seconds=${1:-30} pid=${PROGRAM_PIDS[-1]} tenth
  for ((tenth = 0; ; tenth++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    ((tenth < seconds * 10)) || return 1
    sleep 0.1
  done
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

expect_equal() {
  [[ $2 == "$3" ]] || fail "$1: expected [$3], got [$2]"
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

# Runs the case's Wine in Japanese (system locale 0411, code page 932). Call
# it first in run_case, before anything starts Wine. The machine may lack the
# locale, so it is built once into the work folder.
use_japanese_locale() {
  local locales=$WORK_DIR/locale
  (
    flock 8
    if [[ ! -d $locales/ja_JP.UTF-8 ]]; then
      mkdir -p "$locales"
      localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >"$locales/localedef.log" 2>&1 || true
    fi
  ) 8>"$WORK_DIR/locale.lock"
  [[ -d $locales/ja_JP.UTF-8 ]] || fail "could not build the ja_JP.UTF-8 locale (see $locales/localedef.log)"
  export LOCPATH=$locales LANG=ja_JP.UTF-8
  unset LC_ALL
}

# Makes LETTER a CD-ROM drive over an empty folder: GetDriveTypeA says
# DRIVE_CDROM. The 64-bit reg writes the type where Wine's mount manager
# reads it (the 32-bit one would write below Wow6432Node).
make_cdrom_letter() {
  local letter=${1,,}
  [[ $letter =~ ^[a-y]$ ]] || fail "a CD-ROM drive letter is one of A to Y, not $1"
  mkdir -p "$RUN_DIR/cdrom-$letter"
  ln -sfn "$RUN_DIR/cdrom-$letter" "$RUN_PREFIX/dosdevices/$letter:"
  "$WINE64" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d cdrom /f >/dev/null 2>&1 ||
    fail "could not make $letter: a CD-ROM drive"
}

# Gives the prefix a CD-ROM drive letter with no device behind it. Wine reads
# the drive types when its wineserver starts, so this one is stopped afterwards.
add_cdrom_letter() {
  make_cdrom_letter "$1"
  stop_wineserver
}

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

# Whether a program asked Wine to restart Windows: ExitWindowsEx with
# EWX_REBOOT runs wineboot with --kill (EWX_FORCE) or --end-session, and
# without --shutdown. Wine's process trace in program.log shows it.
restart_requested() {
  grep -E 'CreateProcessInternalW .*wineboot\.exe --(kill|end-session)' "$RUN_DIR/program.log" \
    2>/dev/null | grep -qv -- '--shutdown'
}

# Plays the restart Windows was asked for: the session ended with the
# wineserver; the next program starts a new one. The trace of the run so far
# moves aside, so that restart_requested speaks of the new session only.
restart_session() {
  stop_wineserver
  local session=1
  while [[ -e $RUN_DIR/program-session$session.log ]]; do session=$((session + 1)); done
  mv "$RUN_DIR/program.log" "$RUN_DIR/program-session$session.log" 2>/dev/null || true
  say "Windows restarted (session $((session + 1)) begins)"
}

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

# A restart ends every process of the prefix, the robot included, so it is
# seen from here: the restart asked for and the last started program gone.
wait_for_restart() {
  local seconds=${1:-30}
  local deadline=$((SECONDS + seconds))
  while ((SECONDS < deadline)); do
    if restart_requested && ! kill -0 "${PROGRAM_PIDS[-1]}" 2>/dev/null; then
      # The restart may still be ending the session's other processes; a
      # registry read started meanwhile would be ended with them.
      stop_wineserver
      return 0
    fi
    sleep 0.2
  done
  fail "no restart of Windows seen within $seconds s"
}

# ---- The flasher's update run ----------------------------------------------

# Takes the flasher from its licence page through Update to the Yes of the
# question box; the update run starts.
confirm_update() {
  must_robot wait-window "OD-K818R Firmware Upgrade" 30000
  must_robot click "OD-K818R Firmware Upgrade" 1000
  must_robot wait-window "OD-K818R Firmware Upgrade" 10000
  wait_for_control "OD-K818R Firmware Upgrade" 1007 10000
  must_robot click "OD-K818R Firmware Upgrade" 1
  must_robot msgbox FlashK818R 10000
  must_robot press FlashK818R 6
}

# Waits until the window TITLE has a control ID (the update page has the
# licence page's caption).
wait_for_control() {
  local title=$1 id=$2 ms=${3:-10000} tenth
  for ((tenth = 0; tenth < ms / 100; tenth++)); do
    if "$WINE" "$ROBOT" controls "$title" 2>/dev/null | grep -qP "^$id\t"; then return 0; fi
    sleep 0.1
  done
  fail "no control $id in the window $title"
}

# The text of control ID of the window TITLE, as the robot writes texts.
control_text() {
  "$WINE" "$ROBOT" controls "$1" 2>/dev/null | awk -F'\t' -v id="$2" '$1 == id { print $5 }'
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
