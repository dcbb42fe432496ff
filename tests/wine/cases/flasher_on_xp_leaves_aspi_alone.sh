# Windows XP: the flasher takes the pass-through road and never touches the
# ASPI library, even though one is installed and has a drive to offer.

run_case() {
  install_test_aspi
  scenario <<'SCENARIO'
aspi ha=0 target=0 lun=0 k818r
SCENARIO
  start_flasher winxp
  # Wait until the start-up is over: the program has ended or shows a window.
  local tenth
  for tenth in $(seq 200); do
    wait_program 0 && break
    "$WINE" "$ROBOT" windows 2>/dev/null | grep -q . && break
    sleep 0.1
  done
  must_robot windows
  [[ ! -e $ASPI_LOG ]] || fail "the flasher used ASPI on Windows XP: $(head -n 3 "$ASPI_LOG")"
}
