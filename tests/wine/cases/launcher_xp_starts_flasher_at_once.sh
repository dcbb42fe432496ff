# Windows XP without WNASPI32.DLL and without a CD-ROM drive: each of the
# launcher's two drive objects says so once, and the flasher starts all the
# same; the registry is not looked at.

run_case() {
  remove_aspi
  put_stand_in_flasher
  start_launcher winxp

  local box
  for box in first second; do
    must_robot msgbox UpdaterK818R 20000
    grep -qxP 'text\tNo CD-ROM Drive detected' <<<"$ROBOT_OUT" || fail "$box box: wrong text"
    must_robot press UpdaterK818R 1
    sleep 1  # the second box has the same caption; let the first one go
  done

  local deadline=$((SECONDS + 30))
  until [[ -s $WORK_FOLDER/flasher-started.txt ]] || ((SECONDS > deadline)); do sleep 0.2; done
  [[ -s $WORK_FOLDER/flasher-started.txt ]] || fail "the flasher was not started"
  wait_program 20 || fail "UpdaterK818R.exe did not end"
  must_robot windows
  [[ -z $ROBOT_OUT ]] || fail "windows left: $ROBOT_OUT"
}
