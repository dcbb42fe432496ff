# Windows 98, English: the drive takes the whole image but reads back one
# byte wrong. The flasher says the update failed and does not restart
# Windows. Waits out the closing command's minute.

readonly EXIT_HINT='\r\n\r\nPlease click " Exit " to exit this program.'

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
fault corrupt bank=1 offset=0x100 xor=0x01
SCENARIO
  confirm_update
  must_robot wait-window "Updating ..." 10000
  answer_failure_box 150000 "$UPDATE_FAILED_TEXT"
  must_robot wait-no-window FlashK818R 5000
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$UPDATE_FAILED_TEXT$EXIT_HINT"
  must_robot controls "$PAGE"
  expect_equal "buttons" "$(grep -P '^(1|2|1001)\t' <<<"$ROBOT_OUT" | cut -f1,3 | sort)" \
    $'1\tdisabled\n1001\tdisabled\n2\tenabled'
  [[ $(log_count 'cdb=5A 00 38 41 53 11 ') == 992 ]] || fail "the flash was not read back whole"
  expect_no_restart_then_exit
}
