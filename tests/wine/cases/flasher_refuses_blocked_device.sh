# Windows 98 whose device tree lists an OD-J207P on the standard IDE
# controller: the gate refuses with the version line alone, and the
# program ends before the licence is shown.

run_case() {
  prepare_kit --no-image win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO
  # reg.exe knows no HKEY_DYN_DATA; regedit imports it.
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_DYN_DATA\Config Manager\Enum\C29A3B10]' \
    '"HardWareKey"="SCSI\\QUAV____OD-J207P________1.00\\PNP0600&0&1"' >"$WORK_FOLDER/blocked.reg"
  "$WINE" regedit /s "$WORK_FOLDER_WIN\\blocked.reg" 2>&1
  start_program FlashK818R.exe
  must_robot msgbox FlashK818R 20000
  # Wine's Windows 98 is the Second Edition, 4.10.2222 " A ".
  grep -qxP 'text\tWin98SE : 4\.10 .*\(Build 2222\)\\r\\n\\r\\n' <<<"$ROBOT_OUT" ||
    fail "the box is not the version line alone"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  screenshot refusal-blocked-device
  must_robot windows
  expect_equal "visible windows" "$(cut -f3,4 <<<"$ROBOT_OUT")" $'#32770\tFlashK818R'
  must_robot press FlashK818R 1
  wait_program 10 || fail "the program did not end after the refusal"
}
