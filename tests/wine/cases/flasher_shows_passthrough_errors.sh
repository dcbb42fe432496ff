# Windows XP: how the flasher's pass-through scan meets failures of
# DeviceIoControl and of the drive. Access denied (error 5) on D: shows the
# system's text in a box, and the scan goes on only once it is closed;
# error 1117 on E: (Wine reports it as 121, which the flasher tolerates
# alike) and CHECK CONDITION on F: show nothing. None of them is a drive.

run_case() {
  scenario <<'SCENARIO'
letter D: k818r revision=1.01
fault inquiry transport error=5
letter E: k818r revision=1.01
fault inquiry transport error=1117
letter F: k818r revision=1.02
fault inquiry sense=05/24/00
SCENARIO
  attach_scenario_drives
  start_flasher winxp
  LOG=$PASSTHROUGH_LOG

  must_robot msgbox FlashK818R 20000
  local text
  text=$(grep -P '^text\t' <<<"$ROBOT_OUT" | cut -f2-)
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  # The box holds up the scan: only D: has been asked so far.
  expect_equal "requests while the box is open" "$(log_count '^[0-9.]+ #')" 1
  must_robot error-text 5
  expect_equal "box text" "$text" "$ROBOT_OUT\\n"

  must_robot press FlashK818R 1
  # The scan is over when the first page comes up.
  must_robot wait-window "$PAGE" 30000
  local inquiry='cdb=12 00 00 00 32 00 00 00 00 00 00 00'
  expect_equal "outcomes" "$(log_requests | grep -E '^#' | sed -E 's/ Length=.* cdb=/ cdb=/')" "$(
    echo "#1 D: $inquiry -> error=5 errno=EACCES"
    echo "#2 E: $inquiry -> error=1117 errno=ETIME"
    echo "#3 F: $inquiry -> status=02 sense=05/24/00 resid=50"
  )"
}
