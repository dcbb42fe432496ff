# The kit on the other systems of the NT family (XP has a case of its own):
# the launcher starts the flasher at once, the flasher is told the version
# below and its gate lets it through, and the whole update runs over
# pass-through to the restart. No ASPI library on the system.
# variants: nt40 win2k win7 win10

readonly SUCCESS='Firmware has been updated successfully.\nYour computer will be restarted. '

# What a program named FlashK818R.exe is told on each, asked with the
# larger record first as the gate asks. Windows 8.1 and later tell a program
# whose manifest does not name them 6.2 (Windows 8), as Wine does here.
declare -A TOLD=(
  [nt40]='platform 2, 4.0.1381, "Service Pack 6a", extended record'
  [win2k]='platform 2, 5.0.2195, "Service Pack 4", extended record'
  [win7]='platform 2, 6.1.7601, "Service Pack 1", extended record'
  [win10]='platform 2, 6.2.9200, "", extended record'
)

run_case() {
  local version=$CASE_VARIANT
  [[ -n ${TOLD[$version]:-} ]] || fail "no such variant: $version"
  LOG=$PASSTHROUGH_LOG
  # What the flasher is told: a stand-in of its name records it.
  prepare_kit "$version" stand-in <<'SCENARIO'
letter D: cdrom vendor=OTHERCO product="CD-ROM 52X"
letter E: k818r revision=1.00 notready=2000
SCENARIO
  set_windows_version FlashK818R.exe "$version"
  start_launcher "$version"
  wait_program 30 || fail "UpdaterK818R.exe did not end"
  # The launcher does not wait for the program it started.
  local started=$WORK_FOLDER/flasher-started.txt deadline=$((SECONDS + 20))
  until grep -q '^version: ' "$started" 2>/dev/null || ((SECONDS > deadline)); do sleep 0.2; done
  [[ -s $started ]] || fail "the launcher did not start FlashK818R.exe"
  expect_equal "the version FlashK818R.exe is told" \
    "$(sed -n 's/^version: //p' "$started" | tr -d '\r')" "${TOLD[$version]}"

  # The real flasher: gate, pages, the whole update, the restart.
  put_program FlashK818R.exe
  put_image
  start_launcher "$version"
  must_robot wait-window "$PAGE" 30000
  confirm_update
  must_robot msgbox FlashK818R 120000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  must_robot press FlashK818R 1
  wait_for_restart 30

  expect_equal "blocks written to E:" "$(log_count ' E: .*cdb=5A 00 38 41 53 A0 05 0[0-3] ')" 4
  expect_equal "closing commands" "$(log_count ' E: .*cdb=5A 00 38 41 53 A0 04 E4 ')" 1
  expect_equal "pages read back" "$(log_count ' E: .*cdb=5A 00 38 41 53 11 ')" 992
}
