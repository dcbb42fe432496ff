# Windows XP without WNASPI32.DLL: the launcher's ASPI emulation asks every
# CD-ROM letter with a 6-byte INQUIRY over pass-through, scans through the
# emulation, and starts the flasher, whose own pass-through scan follows.

run_case() {
  prepare_kit --no-image winxp flasher <<'SCENARIO'
letter D: cdrom vendor=OTHERCO product="CD-ROM 52X"
letter E: k818r revision=1.01
SCENARIO
  start_launcher winxp
  LOG=$PASSTHROUGH_LOG
  # The flasher's INQUIRY (allocation length 50) of both letters ends the road.
  wait_for_log ' cdb=12 00 00 00 32 00 00 00 00 00 00 00 ' 2 60

  local length=44 sense_offset=48
  if [[ $ARCH == win64 ]]; then
    length=56 sense_offset=60
  fi
  local probe="Length=$length CdbLength=6 SenseInfoLength=24 DataIn=1 DataTransferLength=100"
  probe+=" TimeOutValue=2 SenseInfoOffset=$sense_offset DataBuffer=set cdb=12 00 00 00 64 00"
  local requests
  requests=$(log_requests | grep -E '^#' | cut -d' ' -f2-)
  expect_equal "the probe of each letter" "$(head -n 2 <<<"$requests")" "$(
    echo "D: $probe -> status=00 sense=00/00/00 resid=4"
    echo "E: $probe -> status=00 sense=00/00/00 resid=4"
  )"
  # Then the emulated ASPI INQUIRYs (CdbLength=12, SenseInfoLength=0,
  # TimeOutValue=30), then the flasher's scan (TimeOutValue=60).
  grep -q 'CdbLength=12 SenseInfoLength=0 DataIn=1 DataTransferLength=36 TimeOutValue=30 ' <<<"$requests" ||
    fail "no INQUIRY through the emulation"
  expect_equal "the flasher's scan" "$(grep -c 'TimeOutValue=60 ' <<<"$requests")" 2
}
