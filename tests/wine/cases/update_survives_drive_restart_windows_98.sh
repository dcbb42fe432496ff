# An update on Windows 98 through WNASPI32.DLL whose drive is still off the
# bus when the minute after the closing command ends (SS_NO_DEVICE), then
# answers a unit attention, then NOT READY, then ready: the flasher polls
# on, reads the firmware back and restarts Windows. Waits out the minute.

readonly SUCCESS='Firmware has been updated successfully.\nYour computer will be restarted. '

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.00 00
  open_kit win98 launcher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 offbus=64000 attention notready=68000
SCENARIO
  wait_program 20 || fail "UpdaterK818R.exe did not end after starting the flasher"
  expect_equal "setting once the flasher runs" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  confirm_update
  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  must_robot press FlashK818R 1
  wait_for_restart 30

  (($(log_count 'cdb=00 .* -> 82 ') > 0)) || fail "no poll met the drive off the bus (SS_NO_DEVICE)"
  (($(log_count 'cdb=00 .*sense=06/29/00') == 1)) || fail "the unit attention was not answered once"
  expect_equal "pages read back" "$(log_count 'cdb=5A 00 38 41 53 11 ')" 992
}
