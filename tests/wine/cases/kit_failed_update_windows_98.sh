# The second run of the kit on Windows 98 when the update fails: the
# launcher still switches the setting back on as it starts the flasher, the
# flasher shows the failure and never the success text, and Windows is not
# restarted. Waits out the closing command's minute.

readonly FAILED='OD-K818R Firmware update is Failed.\r\n\r\nFound hardware error. Your drive cannot be updated to new firmware.\n\n '

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.00 00
  open_kit win98 launcher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
fault corrupt bank=2 offset=0x10 xor=0x80
SCENARIO
  wait_program 20 || fail "UpdaterK818R.exe did not end after starting the flasher"
  expect_equal "setting once the flasher runs" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  confirm_update
  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$FAILED" <<<"$ROBOT_OUT" || fail "the box does not say the update failed"
  grep -q 'successfully' <<<"$ROBOT_OUT" && fail "a failed update was reported as a success"
  must_robot press FlashK818R 1
  sleep 2
  restart_requested && fail "Windows was restarted after a failed update"
  expect_equal "setting after the failed update" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the flasher"
}
