# Windows 98 with the ASPI library but no drive of ours: the licence page
# works, and Accept meets the "No drive found." box, captioned as the
# program's error and owned by no window, after which the program ends.

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
SCENARIO
  must_robot click "$PAGE" 1000
  must_robot msgbox "Error - OD-K818R Upgrade Program" 10000
  grep -qxP 'text\tNo drive found\.' <<<"$ROBOT_OUT" || fail "box text"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  screenshot no-drive
  must_robot window "Error - OD-K818R Upgrade Program"
  expect_equal "the box's owner" "$(robot_field owner 2)" -
  must_robot press "Error - OD-K818R Upgrade Program" 1
  wait_program 10 || fail "the program did not end after the box"
}
