# Windows 98 with a foreign CD-ROM drive only: "K818R does not exist!", and
# nothing is started or written.

readonly FOREIGN_KEY=OTHERCO_CD-ROM_52X______1

run_case() {
  add_scsi_instance "$FOREIGN_KEY" 0000 1.00 00
  open_kit win98 stand-in <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
SCENARIO

  must_robot msgbox Error 20000
  grep -qxP 'text\tK818R does not exist!' <<<"$ROBOT_OUT" || fail "wrong box text"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  must_robot press Error 1
  wait_program 10 || fail "UpdaterK818R.exe did not end"
  expect_equal "foreign drive's setting" "$(scsi_setting "$FOREIGN_KEY" 0000)" 00
  [[ ! -e $WORK_FOLDER/flasher-started.txt ]] || fail "the flasher was started"
}
