# Windows 98 in English with two drives and the image: the licence page as
# the templates make it, Accept, the update page with its drive lines and
# texts, a change of drive, Back to a fresh licence page, and the question
# answered No, then Yes.

# id, class, style, extended style of every control, as the robot reads them.
# Windows adds its own bits to the templates': the dialog manager gives
# every control WS_EX_NOPARENTNOTIFY (4) and an edit control with a border
# wears a client edge (WS_EX_CLIENTEDGE, 0x200) in its place; a drop-down
# list keeps its scroll bar for the list (no WS_VSCROLL on the box).
expect_styles() {
  must_robot styles "$PAGE"
  expect_equal "$1 styles" "$(grep -v '^window' <<<"$ROBOT_OUT" | sort -n)" "$2"
}

# The text of control ID of the page, as the robot escapes it.
control_text() {
  must_robot controls "$PAGE" >&2
  awk -F'\t' -v id="$1" '$1 == id { print $5 }' <<<"$ROBOT_OUT"
}

control_state() {
  must_robot controls "$PAGE" >&2
  awk -F'\t' -v id="$1" '$1 == id { print $3 }' <<<"$ROBOT_OUT"
}

run_case() {
  add_cdrom_letter D
  add_cdrom_letter E
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
aspi ha=1 target=2 lun=1 k818r revision=1.01 product=OD-K818R-B
SCENARIO

  expect_styles "licence page" "$(printf '%s\n' \
    $'1\tButton\t5001000B\t00000004' \
    $'1000\tButton\t5001000B\t00000004' \
    $'1010\tEdit\t50200844\t00000204' \
    $'1011\tEdit\t50001804\t00000004')"
  # Popup, visible, caption, system menu, modal frame, font; a taskbar button.
  grep -qP '^window\t#32770\t9.C800C.\t000.01.1$' <<<"$ROBOT_OUT" || fail "licence page style"
  local licence
  licence=$(control_text 1010)
  [[ $licence == 'OD-K818R FIRMWARE UPGRADE PROGRAM\r\n'* ]] || fail "licence text"
  [[ $licence == *'All rights reserved.\r\n\r\n'*'End of agreement.\r\n' ]] || fail "licence text end"
  expect_equal "prompt" "$(control_text 1011)" \
    'If you accept this license agreement, press "Accept"to continue. Otherwise press "Exit"to exit this program.\r\n'

  must_robot click "$PAGE" 1000
  must_robot wait-window "$PAGE" 10000
  must_robot lines "$PAGE" 1007
  expect_equal "drive lines" "$ROBOT_OUT" "$(printf '%s\n' \
    'D: QUAV    OD-K818R [1 : 0  1.00]' 'E: QUAV    OD-K818R-B [2 : 1  1.01]')"
  expect_styles "update page" "$(printf '%s\n' \
    $'1\tButton\t5001000B\t00000004' \
    $'2\tButton\t5001000B\t00000004' \
    $'1001\tButton\t5001000B\t00000004' \
    $'1007\tComboBox\t50010003\t00000004' \
    $'1008\tStatic\t50000200\t00000004' \
    $'1012\tEdit\t50200844\t00000204')"
  # Popup, visible, caption, system menu, minimize box, centred, modal
  # frame, font; no taskbar flag of its own.
  grep -qP '^window\t#32770\t9.CA08C.\t000.0..1$' <<<"$ROBOT_OUT" || fail "update page style"
  expect_equal "label" "$(control_text 1008)" 'TARGET DRIVE  : '
  local text
  text=$(control_text 1012)
  [[ $text == 'A OD-K818R was found that could be updated to firmware revision 1.01.\r\n\r\n'* ]] ||
    fail "page text for line 0: $text"
  [[ $text == *'please click "Update".\r\n\r\nCaution:\nIf the Update Program is interrupted, the OD-K818R'"'"'s firmware'* ]] ||
    fail "caution text for line 0"
  [[ $text == *'    system. \n' ]] || fail "page text end"
  screenshot update-page-english

  must_robot select "$PAGE" 1007 1
  text=$(control_text 1012)
  [[ $text == 'A OD-K818R-B was found'* ]] || fail "page text after choosing line 1: $text"

  must_robot click "$PAGE" 1001
  must_robot wait-window "$PAGE" 10000
  must_robot controls "$PAGE" >&2
  grep -qP '^1000\tButton\tenabled' <<<"$ROBOT_OUT" || fail "Back did not lead to a licence page"
  must_robot click "$PAGE" 1000
  must_robot wait-window "$PAGE" 10000
  must_robot lines "$PAGE" 1007

  must_robot click "$PAGE" 1
  must_robot msgbox FlashK818R 10000
  grep -qxP 'text\t  1\. Exit active applications before starting the update process\.\\n.*\\n\\nUpdate your OD-K818R'"'"'s firmware to version 1\.01 \?' <<<"$ROBOT_OUT" ||
    fail "question text"
  expect_equal "question buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2 | tr '\n' ' ')" "6 7 "
  screenshot question-english
  for id in 1 2 1001 1007; do expect_equal "control $id during the question" "$(control_state $id)" disabled; done
  must_robot press FlashK818R 7
  must_robot wait-no-window FlashK818R 5000
  for id in 1 2 1001 1007; do expect_equal "control $id after No" "$(control_state $id)" enabled; done

  must_robot click "$PAGE" 1
  must_robot msgbox FlashK818R 10000
  must_robot press FlashK818R 6
  must_robot wait-no-window FlashK818R 5000
  expect_equal "page text after Yes" "$(control_text 1012)" \
    'Updating microcode.\r\nDo not stop updating, shut down the PC, or turn off power.'
  expect_equal "drive list after Yes" "$(control_state 1007)" disabled
  # Esc is Exit's key, and Exit is disabled once the update has begun.
  must_robot key "$PAGE" esc
  sleep 1
  expect_equal "page text after Esc" "$(control_text 1012)" \
    'Updating microcode.\r\nDo not stop updating, shut down the PC, or turn off power.'
}
