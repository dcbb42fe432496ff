# Windows XP: the flasher takes the pass-through road and never touches the
# ASPI library, even though one is installed and has a drive to offer. Wine
# has no device behind its CD-ROM letter, so the pass-through INQUIRY fails
# with error 50, which the flasher reports in its system-error box: proof
# that it opened the letter and sent the request.

run_case() {
  install_test_aspi
  scenario <<'SCENARIO'
aspi ha=0 target=0 lun=0 k818r
SCENARIO
  add_cdrom_letter D
  start_flasher winxp
  must_robot msgbox FlashK818R 20000
  local text
  text=$(grep -P '^text\t' <<<"$ROBOT_OUT" | cut -f2-)
  must_robot error-text 50
  expect_equal "box text" "$text" "$ROBOT_OUT\\n"
  must_robot press FlashK818R 1
  [[ ! -e $ASPI_LOG ]] || fail "the flasher used ASPI on Windows XP: $(head -n 3 "$ASPI_LOG")"
}
