# The second run of the kit on Windows 98 when the update fails: the
# launcher still switches the setting back on as it starts the flasher, the
# flasher shows the failure and never the success text, and Windows is not
# restarted. Waits out the closing command's minute.

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.00 00
  open_kit win98 launcher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
fault corrupt bank=2 offset=0x10 xor=0x80
SCENARIO
  wait_program 20 || fail "UpdaterK818R.exe did not end after starting the flasher"
  expect_equal "setting once the flasher runs" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  confirm_update
  answer_failure_box 150000 "$UPDATE_FAILED_TEXT"
  expect_no_restart_then_exit
  expect_equal "setting after the failed update" "$(scsi_setting "$TARGET_KEY" 0000)" 01
}
