# The image file is not in the folder: the page says so for the drive of
# line 0 and offers Exit only; Exit ends the program.

run_case() {
  add_cdrom_letter D
  add_cdrom_letter E
  open_kit --no-image win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
aspi ha=1 target=2 lun=1 k818r revision=1.01 product=OD-K818R-B
SCENARIO
  must_robot click "$PAGE" 1000
  must_robot wait-window "$PAGE" 10000
  must_robot select "$PAGE" 1007 1
  must_robot controls "$PAGE"
  grep -qxP '1012\tEdit\tenabled\tvisible\tUnable to find the firmware file for the drive QUAV    OD-K818R\.\\r\\n\\r\\nPlease click " Exit " to exit this program\.' \
    <<<"$ROBOT_OUT" || fail "page text"
  grep -qP '^1\tButton\tdisabled' <<<"$ROBOT_OUT" || fail "Update is usable"
  grep -qP '^1001\tButton\tdisabled' <<<"$ROBOT_OUT" || fail "Back is usable"
  grep -qP '^2\tButton\tenabled' <<<"$ROBOT_OUT" || fail "Exit is not usable"
  screenshot image-missing
  # Enter in the list is Back's, and Back is disabled: nothing happens, no
  # question comes up either.
  must_robot focus "$PAGE" 1007
  must_robot key "$PAGE" enter
  ! robot msgbox FlashK818R 2000 || fail "Enter asked the update question"
  must_robot controls "$PAGE"
  grep -qP '^1007\tComboBox' <<<"$ROBOT_OUT" || fail "Enter left the update page"
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the program"
}
