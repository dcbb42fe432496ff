# The version box on the licence page's system menu, and the pages nested
# five deep by Accept, Back, Accept, Back: Exit on the innermost ends the
# program at once.

readonly VERSION_BOX="UpdaterK818R Version Information"

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO

  must_robot syscommand "$PAGE" 0x10
  must_robot wait-window "$VERSION_BOX" 10000
  must_robot controls "$VERSION_BOX"
  grep -qP '\tStatic\tenabled\tvisible\tUpdaterK818R Version 1\.0\.0\.0$' <<<"$ROBOT_OUT" ||
    fail "version line"
  grep -qP '^1\tButton\tenabled\tvisible\tOK$' <<<"$ROBOT_OUT" || fail "OK button"
  screenshot version-box
  must_robot key "$VERSION_BOX" esc
  must_robot wait-no-window "$VERSION_BOX" 5000

  local step
  for step in 1000 1001 1000 1001; do
    must_robot click "$PAGE" "$step"
    sleep 0.5
    must_robot wait-window "$PAGE" 10000
  done
  must_robot windows
  expect_equal "visible pages" "$(grep -c "$PAGE" <<<"$ROBOT_OUT")" 1
  must_robot click "$PAGE" 1
  wait_program 10 || fail "Exit on the innermost page did not end the program"
}
