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
  answer_failure_box 120000 "$UPDATE_FAILED_TEXT"
  expect_no_restart_then_exit
}
