# The Wine plumbing of the test runner: the loader, the cached prefix, Xvfb,
# Windows versions, the registry, processes, screenshots and the robot.
# The kit's own steps are in kit-steps.sh.
# Every function reports through `say` and fails through `fail`.

# Bump when the prepared prefix changes, so that cached ones are rebuilt.
readonly PREFIX_LAYOUT=7

say() { printf '%s\n' "$*"; }
fail() {
  printf 'FAIL: %s\n' "$*"
  exit 1
}

# ---- Wine and its prefix ---------------------------------------------------

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

# ---- The run: its screen, leftovers, watchdog and cleanup ------------------

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

# ---- The account, screenshots and the robot --------------------------------

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

# Waits until the window TITLE has a control ID (a window may keep its
# caption while its controls change).
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

expect_equal() {
  [[ $2 == "$3" ]] || fail "$1: expected [$3], got [$2]"
}

# ---- Registry, Windows versions, locale, drive letters ---------------------

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

# ---- Processes and restarts ------------------------------------------------

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
