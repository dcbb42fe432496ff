# Windows 98 with the setting off: the launcher starts FlashK818R.exe from
# its folder, without arguments, and switches the setting back on at once;
# a drive without an instance key gets nothing written.

readonly SECOND_KEY=QUAV____OD-K818R________2

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.01 00
  # The second drive's model key holds another revision only.
  add_scsi_instance "$SECOND_KEY" 0000 2.02 00
  open_kit win98 stand-in <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
aspi ha=0 target=1 lun=0 k818r revision=1.01
aspi ha=1 target=0 lun=0 k818r revision=2.03
SCENARIO

  local deadline=$((SECONDS + 30))
  until [[ -s $WORK_FOLDER/flasher-started.txt ]] || ((SECONDS > deadline)); do sleep 0.2; done
  [[ -s $WORK_FOLDER/flasher-started.txt ]] || fail "the flasher was not started"
  wait_program 20 || fail "UpdaterK818R.exe did not end"
  screenshot after-start

  local started
  started=$(tr -d '\r' <"$WORK_FOLDER/flasher-started.txt")
  grep -qx 'started' <<<"$started" || fail "stand-in record: $started"
  # No arguments: the system makes the command line of the program's name alone.
  grep -qiPx 'command line: "?FlashK818R.exe"?' <<<"$started" || fail "arguments passed: $started"
  grep -qix 'folder: C:\\kit' <<<"$started" || fail "started elsewhere: $started"
  expect_equal "target drive's setting" "$(scsi_setting "$TARGET_KEY" 0000)" 01
  expect_equal "other revision's setting" "$(scsi_setting "$SECOND_KEY" 0000)" 00
  must_robot windows
  [[ -z $ROBOT_OUT ]] || fail "windows left: $ROBOT_OUT"
}
