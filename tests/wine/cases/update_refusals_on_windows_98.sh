# Windows 98, English: a drive whose type code the image does not fit, then
# a broken image. Each refusal comes before any firmware command: its text
# in the page and in a box, then only Exit is left, and Windows keeps
# running.

readonly EXIT_HINT='\r\n\r\nPlease click " Exit " to exit this program.'
readonly UP_TO_DATE="The firmware of your drive doesn't need to be updated. "
readonly CHECKSUM_ERROR='Found CHECKSUM ERR.\n\nNotice:\n  1. Perhaps "DMA mode" is turned on. Please use "PIO mode".\n  2. Check you have a correct firmware file please.\n  3. Make sure all application have been closed.\n'

# One run of the flasher that ends in the refusal TEXT.
expect_refusal() {
  local text=$1
  confirm_update
  must_robot msgbox FlashK818R 30000
  grep -qxF "text	$text" <<<"$ROBOT_OUT" || fail "the box does not hold the refusal"
  expect_equal "box buttons" "$(grep -P '^button\t' <<<"$ROBOT_OUT" | cut -f2)" "1"
  must_robot press FlashK818R 1
  must_robot wait-no-window FlashK818R 5000
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$text$EXIT_HINT"
  must_robot controls "$PAGE"
  expect_equal "buttons" "$(grep -P '^(1|2|1001)\t' <<<"$ROBOT_OUT" | cut -f1,3 | sort)" \
    $'1\tdisabled\n1001\tdisabled\n2\tenabled'
  screenshot "refused"
  [[ $(log_count 'cdb=5A 00 38 41 53 A0 ') == 0 ]] || fail "a firmware command was sent"
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the flasher"
  restart_requested && fail "Windows was restarted after a refusal"
  return 0
}

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 typecode=WN
SCENARIO
  expect_refusal "$UP_TO_DATE"

  rm -f "$ASPI_LOG"
  scenario <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO
  # One byte of the first block changed: the block sum no longer matches.
  printf '\x5a' | dd of="$WORK_FOLDER/K818R_10.BIN" bs=1 seek=100 conv=notrunc status=none
  start_program FlashK818R.exe
  expect_refusal "$CHECKSUM_ERROR"
}
