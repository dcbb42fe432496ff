# Windows 95: the gate refuses before the licence text is shown, with the
# version line and the list of accepted systems, in a box that belongs to
# the licence page being set up; the program ends.

run_case() {
  prepare_kit win95 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO
  start_program FlashK818R.exe
  must_robot msgbox FlashK818R 20000
  grep -qP '^text\tWin95 or Win98 : 4\.0 .*\(Build 950\)\\r\\n\\r\\nThe OS requirements for this Updater is as follows:\\r\\n\\r\\n  Windows 98, 98SE\\r\\n.*Please confirm your OS version \?$' \
    <<<"$ROBOT_OUT" || fail "refusal text"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  screenshot refusal-windows-95
  must_robot window FlashK818R
  expect_equal "the box's owner" "$(robot_field owner 2)" \
    "$PAGE"
  must_robot windows
  expect_equal "visible windows" "$(cut -f3,4 <<<"$ROBOT_OUT")" $'#32770\tFlashK818R'
  must_robot press FlashK818R 1
  wait_program 10 || fail "the program did not end after the refusal"
}
