# An update on Windows XP whose drive restarts its new firmware as a real
# one does: after the closing command it is off the bus for a while (every
# pass-through call fails: the device is gone, 55, which reaches the
# program under Wine as "Not ready.", 21), then answers a unit attention,
# then NOT READY, then ready. The flasher polls on without a box, reads the
# firmware back and restarts Windows.

readonly SUCCESS='Firmware has been updated successfully.\nYour computer will be restarted. '

run_case() {
  LOG=$PASSTHROUGH_LOG
  open_kit winxp launcher <<'SCENARIO'
letter E: k818r revision=1.00 offbus=4000 attention notready=8000
SCENARIO
  confirm_update
  must_robot msgbox FlashK818R 120000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  must_robot press FlashK818R 1
  wait_for_restart 30

  (($(log_count ' E: .*cdb=00 .*error=55 errno=EIO') > 0)) || fail "no poll met the drive off the bus"
  (($(log_count ' E: .*cdb=00 .*sense=06/29') == 1)) || fail "the unit attention was not answered once"
  expect_equal "pages read back" "$(log_count ' E: .*cdb=5A 00 38 41 53 11 ')" 992
}
