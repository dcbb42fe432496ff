# Windows 98 without WNASPI32.DLL in the system folder: the flasher says so
# in a box of its own before any other window, and sends nothing.

run_case() {
  remove_aspi
  start_flasher win98
  must_robot msgbox FlashK818R 20000
  grep -qxP 'text\tWNASPI32.DLL not found' <<<"$ROBOT_OUT" || fail "wrong box text"
  expect_equal "buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"

  # The box is the program's only window.
  must_robot windows
  expect_equal "visible windows" "$(cut -f3,4 <<<"$ROBOT_OUT")" $'#32770\tFlashK818R'

  must_robot press FlashK818R 1
  must_robot wait-no-window FlashK818R 5000
  [[ ! -e $ASPI_LOG ]] || fail "something answered as WNASPI32.DLL"
}
