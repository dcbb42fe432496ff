# Windows 98 with the setting off but no FlashK818R.exe beside the launcher:
# the missing-flasher box, and the setting stays off.

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.01 00
  prepare_kit win98 none <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.01
SCENARIO
  start_launcher win98

  must_robot msgbox Error 20000
  grep -qxP 'text\tFlashK818R.exe does not exist!' <<<"$ROBOT_OUT" || fail "wrong box text"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  must_robot press Error 1
  wait_program 10 || fail "UpdaterK818R.exe did not end"
  expect_equal "target drive's setting" "$(scsi_setting "$TARGET_KEY" 0000)" 00
}
