# Windows XP: the flasher's drive object opens every CD-ROM letter and sends
# it one INQUIRY through SCSI pass-through: a foreign drive, an OD-K818R with
# a known revision and one with an unknown revision, each simulated behind
# its letter. The request log shows the pass-through record as the flasher
# filled it in; C: (a fixed disk) is never asked.

run_case() {
  scenario <<'SCENARIO'
letter D: cdrom vendor=OTHERCO product="CD-ROM 52X"
letter E: k818r revision=1.01
letter G: k818r revision=1.16
SCENARIO
  attach_scenario_drives
  start_flasher winxp
  # The scan is over when the first page comes up.
  must_robot wait-window "$PAGE" 60000
  screenshot after-scan
  LOG=$PASSTHROUGH_LOG

  expect_log_line '^[0-9.]+ scenario: '
  # The record's layout is the program's: 32-bit in the shipped build.
  local length=44 sense_offset=48
  if [[ $ARCH == win64 ]]; then
    length=56 sense_offset=60
  fi
  local record="Length=$length CdbLength=12 SenseInfoLength=24 DataIn=1 DataTransferLength=50"
  record+=" TimeOutValue=60 SenseInfoOffset=$sense_offset DataBuffer=set"
  local inquiry='cdb=12 00 00 00 32 00 00 00 00 00 00 00'
  expect_equal "pass-through requests" "$(log_requests | grep -E '^#')" "$(
    echo "#1 D: $record $inquiry -> status=00 sense=00/00/00 resid=0"
    echo "#2 E: $record $inquiry -> status=00 sense=00/00/00 resid=0"
    echo "#3 G: $record $inquiry -> status=00 sense=00/00/00 resid=0"
  )"
  # No box: every request reached a device.
  must_robot windows
  grep -q 'FlashK818R' <<<"$ROBOT_OUT" && fail "the flasher left a window: $ROBOT_OUT"
  [[ ! -e $ASPI_LOG ]] || fail "the flasher used ASPI on Windows XP"
}
