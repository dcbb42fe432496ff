# Windows 98, English: the drive takes the whole image but reads back one
# byte wrong. The flasher says the update failed and does not restart
# Windows. Waits out the closing command's minute.

readonly FAILED='OD-K818R Firmware update is Failed.\r\n\r\nFound hardware error. Your drive cannot be updated to new firmware.\n\n '
readonly EXIT_HINT='\r\n\r\nPlease click " Exit " to exit this program.'

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
fault corrupt bank=1 offset=0x100 xor=0x01
SCENARIO
  confirm_update
  must_robot wait-window "Updating ..." 10000
  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$FAILED" <<<"$ROBOT_OUT" || fail "the box does not say the update failed"
  must_robot press FlashK818R 1
  must_robot wait-no-window FlashK818R 5000
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$FAILED$EXIT_HINT"
  must_robot controls "$PAGE"
  expect_equal "buttons" "$(grep -P '^(1|2|1001)\t' <<<"$ROBOT_OUT" | cut -f1,3 | sort)" \
    $'1\tdisabled\n1001\tdisabled\n2\tenabled'
  [[ $(log_count 'cdb=5A 00 38 41 53 11 ') == 992 ]] || fail "the flash was not read back whole"
  sleep 2
  restart_requested && fail "Windows was restarted after a failed update"
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the flasher"
}
