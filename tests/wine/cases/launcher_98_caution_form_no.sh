# Windows 98 with the setting on: No closes the "Caution" form and ends the
# launcher with nothing written, nothing started and no restart.

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.01 01
  open_kit win98 stand-in Caution <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.01
SCENARIO
  must_robot click Caution 2
  must_robot wait-exit UpdaterK818R.exe 10000
  wait_program 10 || fail "UpdaterK818R.exe did not end"
  restart_requested && fail "No restarted Windows"
  expect_equal "target drive's setting" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  [[ ! -e $WORK_FOLDER/flasher-started.txt ]] || fail "the flasher was started"
}
