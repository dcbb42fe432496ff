# A second copy scans the drives like the first, then ends without window,
# box or sound; the first copy's page stays as it was.

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO
  local sweeps
  sweeps=$(log_count 'GET_DEV_TYPE ha=0 target=0 lun=0 ')

  start_program FlashK818R.exe
  wait_program 20 || fail "the second copy did not end"
  expect_equal "scans" "$(log_count 'GET_DEV_TYPE ha=0 target=0 lun=0 ')" "$((sweeps + 1))"
  must_robot windows
  expect_equal "visible windows" "$(cut -f3,4 <<<"$ROBOT_OUT")" $'#32770\t'"$PAGE"
}
