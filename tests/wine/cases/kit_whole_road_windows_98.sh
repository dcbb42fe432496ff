# The kit on Windows 98 as a user meets it, across both restarts: with the
# drive's auto insert notification on, the launcher's "Caution" form and Yes
# switch it off and restart Windows; the next start of the launcher starts
# the real flasher and switches the setting on again; the flasher updates
# the drive from the licence page to the success box and restarts Windows.
# Waits out the closing command's minute.

readonly SUCCESS='Firmware has been updated successfully.\nYour computer will be restarted. '

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.00 01
  prepare_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
SCENARIO

  if [[ -n ${KIT_BY_HAND:-} ]]; then
    by_hand win98
    return 0
  fi
  step "Windows 98, the drive's AutoInsertNotification is $(scsi_setting "$TARGET_KEY" 0000): start UpdaterK818R.exe"
  start_launcher win98
  must_robot wait-window Caution 20000
  step "the launcher shows its Caution form; click Yes"
  must_robot click Caution 1
  wait_for_restart 30
  expect_equal "setting after Yes" "$(scsi_setting "$TARGET_KEY" 0000)" 00
  step "Windows is restarted; AutoInsertNotification is now 00"
  (($(log_count 'cdb=5A ') == 0)) || fail "a firmware command before the update"
  restart_session

  step "after the restart, start UpdaterK818R.exe again"
  start_launcher win98
  must_robot wait-window "$PAGE" 30000
  wait_program 20 || fail "UpdaterK818R.exe did not end after starting the flasher"
  expect_equal "setting once the flasher runs" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  step "the launcher started FlashK818R.exe and set AutoInsertNotification back to 01; the licence page is up"
  step "Accept, then on the update page Update, then Yes to the question"
  confirm_update
  must_robot wait-window "Updating ..." 10000
  step "the progress window runs while the drive is written and read back (over a minute)"
  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  restart_requested && fail "Windows was restarted before the box was closed"
  step "the success box: \"${SUCCESS//\\n/ }\"; click OK"
  must_robot press FlashK818R 1
  wait_for_restart 30
  step "Windows is restarted"

  local summary
  summary=$(command_summary | tr '\n' ' ')
  say "the drive's commands over both sessions: $summary"
  [[ $summary == *"WRITE x4 CLOSE "*"READ x992 " ]] || fail "the drive's commands: $summary"
  expect_equal "setting after the update" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  step "the drive got: $summary"
  step "AutoInsertNotification after the update: 01, on again"
}
