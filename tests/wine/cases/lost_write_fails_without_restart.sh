# An update on Windows XP whose drive answers good status to the first
# firmware block and stores nothing: the read-back sum cannot match, so the
# flasher shows the failure, never the success text, and does not restart
# Windows; Exit still ends it.

run_case() {
  open_kit winxp launcher <<'SCENARIO'
letter E: k818r revision=1.00 notready=3000
fault write nth=1 drop
SCENARIO
  confirm_update
  must_robot msgbox FlashK818R 120000
  grep -q 'Failed' <<<"$ROBOT_OUT" || fail "the box does not say the update failed"
  grep -q 'successfully' <<<"$ROBOT_OUT" && fail "a lost write was reported as a success"
  must_robot press FlashK818R 1
  sleep 2
  restart_requested && fail "Windows was restarted after a failed update"
  must_robot click "$PAGE" 2
  wait_program 10 || fail "Exit did not end the flasher"
}
