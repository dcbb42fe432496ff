# The kit on Windows XP as a user meets it: the launcher starts the flasher
# at once, which finds the drive behind its CD-ROM letter through
# pass-through and updates it: the closing command in mode 4 with no minute
# of waiting after it, the whole flash read back, the success box, then the
# restart. No ASPI library on the system.

readonly SUCCESS='Firmware has been updated successfully.\nYour computer will be restarted. '

run_case() {
  LOG=$PASSTHROUGH_LOG
  prepare_kit winxp flasher <<'SCENARIO'
letter D: cdrom vendor=OTHERCO product="CD-ROM 52X"
letter E: k818r revision=1.00 notready=3000
SCENARIO

  if [[ -n ${KIT_BY_HAND:-} ]]; then
    by_hand winxp
    return 0
  fi
  step "Windows XP, no WNASPI32.DLL, the drive behind the letter E:; start UpdaterK818R.exe"
  start_launcher winxp
  must_robot wait-window "$PAGE" 30000
  step "the launcher started FlashK818R.exe at once; the licence page is up"
  local started=$SECONDS
  step "Accept, then on the update page Update, then Yes to the question"
  confirm_update
  must_robot msgbox FlashK818R 120000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  ((SECONDS - started < 60)) || fail "the update waited as on the ASPI road"
  step "the success box after $((SECONDS - started)) s; click OK"
  must_robot press FlashK818R 1
  wait_for_restart 30
  step "Windows is restarted"

  expect_equal "blocks written to E:" "$(log_count ' E: .*cdb=5A 00 38 41 53 A0 05 0[0-3] ')" 4
  expect_equal "closing commands" "$(log_count ' E: .*cdb=5A 00 38 41 53 A0 04 E4 ')" 1
  expect_equal "pages read back" "$(log_count ' E: .*cdb=5A 00 38 41 53 11 ')" 992
  expect_equal "firmware commands to D:" "$(log_count ' D: .*cdb=5A ')" 0
  step "E: got 4 blocks, the closing command in mode 4 and 992 page reads over pass-through; D: no firmware command"
}
