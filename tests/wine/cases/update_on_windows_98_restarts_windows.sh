# Windows 98, English: a whole update from the licence page to the restart.
# The flasher waits more than 60 s after the closing command on this road
# by design, so this case takes over a minute.

readonly SUCCESS_TEXT='Firmware has been updated successfully.\nYour computer will be restarted. '

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
SCENARIO
  confirm_update

  must_robot wait-window "Updating ..." 10000
  must_robot controls "Updating ..."
  grep -qP '^11\tStatic\tenabled\tvisible\tUpdating microcode\.' <<<"$ROBOT_OUT" ||
    fail "the progress window does not show the updating text"
  grep -qP '^10\tButton\t[a-z]+\thidden\t Cancel $' <<<"$ROBOT_OUT" ||
    fail "the Cancel button is not there, hidden"
  expect_equal "page text while updating" "$(control_text "$PAGE" 1012)" \
    'Updating microcode.\r\nDo not stop updating, shut down the PC, or turn off power.'

  # Esc typed into the progress window closes it; a fresh one takes its
  # place at once and the update goes on.
  must_robot wait-window "Updating ..." 1000
  local first=$ROBOT_OUT
  must_robot key "Updating ..." esc
  local tenth
  for ((tenth = 0; tenth < 30; tenth++)); do
    robot wait-window "Updating ..." 100 >/dev/null && [[ $ROBOT_OUT != "$first" ]] && break
    sleep 0.1
  done
  [[ $ROBOT_OUT != "$first" ]] || fail "Esc did not replace the progress window"

  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$SUCCESS_TEXT" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$SUCCESS_TEXT"
  restart_requested && fail "Windows was restarted before the box was closed"
  must_robot press FlashK818R 1
  wait_for_restart 30

  local summary
  summary=$(command_summary)
  # The scan's INQUIRY, then the type code and the type check.
  expect_equal "first commands" "$(sed -n 1p <<<"$summary")" 'INQUIRY x3'
  expect_equal "after the INQUIRYs" "$(sed -n '2,3p' <<<"$summary")" $'WRITE x4\nCLOSE'
  sed -n 4p <<<"$summary" | grep -qE '^TUR( x[0-9]+)?$' || fail "no polling after the closing: $summary"
  expect_equal "read-back" "$(sed -n '5,$p' <<<"$summary")" 'READ x992'
  [[ $(log_count 'cdb=5A 00 38 41 53 A0 [0-9A-F]{2} E4 ') == 1 ]] ||
    fail "the closing command was not sent once, for four blocks"
  # Each progress window left its position in the program's profile file.
  local profile
  profile=$(find "$RUN_PREFIX/drive_c/windows" -maxdepth 1 -iname 'FlashK818R.INI' | head -1)
  [[ -n $profile ]] || fail "no FlashK818R.INI in the Windows folder"
  tr -d '\r' <"$profile" | grep -qxE 'X=-?[0-9]+' || fail "no X in $(cat "$profile")"
  tr -d '\r' <"$profile" | grep -qxE 'Y=-?[0-9]+' || fail "no Y in $(cat "$profile")"
  awk '{ exit !($1 > 60 && $1 < 63) }' <<<"$(seconds_after_closing)" ||
    fail "the closing command was followed after $(seconds_after_closing) s, not just over 60"
}
