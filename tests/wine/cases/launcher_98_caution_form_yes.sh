# Windows 98 with the target drive's auto insert notification on: the
# launcher shows its "Caution" form, writes nothing before the answer, and
# Enter (Yes has the focus) switches the setting off for the target drive
# only and restarts Windows.

readonly FOREIGN_KEY=OTHERCO_CD-ROM_52X______1
readonly MEMO='Because of the distinction of Windows 95/98 operating system, \r\nUpdater has to make some system-level setting and reboot your \r\ncomputer before updating. After rebooting, you have to excuse \r\nUpdater again to process updating. Are you sure to continue?'

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.01 01
  add_scsi_instance "$FOREIGN_KEY" 0000 1.00 01
  open_kit win98 stand-in Caution <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
aspi ha=0 target=1 lun=0 k818r revision=1.01
SCENARIO
  must_robot controls Caution
  grep -qxP '1\tButton\tenabled\tvisible\tYes' <<<"$ROBOT_OUT" || fail "no Yes button"
  grep -qxP '2\tButton\tenabled\tvisible\tNo' <<<"$ROBOT_OUT" || fail "no No button"
  local memo
  memo=$(grep -P '^100\tEdit\t' <<<"$ROBOT_OUT" | cut -f5-)
  expect_equal "the form's text" "$memo" "$MEMO"
  must_robot windows
  expect_equal "visible windows" "$(cut -f4 <<<"$ROBOT_OUT")" "Caution"
  expect_equal "setting before the answer" "$(scsi_setting "$TARGET_KEY" 0000)" 01

  must_robot key Caution enter
  wait_for_restart 30
  expect_equal "target drive's setting" "$(scsi_setting "$TARGET_KEY" 0000)" 00
  expect_equal "foreign drive's setting" "$(scsi_setting "$FOREIGN_KEY" 0000)" 01
  [[ ! -e $WORK_FOLDER/flasher-started.txt ]] || fail "the flasher was started"
}
