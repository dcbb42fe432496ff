# The program and the test DLL agree on the request blocks across the real
# ABI: a pending INQUIRY ends through the event the program put into
# SRB_PostProc, and one that never ends is aborted after 30 s with an
# SRB_Abort naming that very block. (Waits the flasher's own 30 s.)

run_case() {
  prepare_kit --no-image win98 flasher <<'SCENARIO'
aspi ha=0 target=0 lun=0 k818r completion=pending latency=300
aspi ha=0 target=1 lun=0 cdrom completion=never
SCENARIO
  start_program FlashK818R.exe
  wait_for_log 'ABORT' 1 60
  wait_for_log 'GET_DEV_TYPE ha=0 target=7 lun=7 ' 1 30
  screenshot after-scan

  local pending stuck
  pending=$(log_requests | grep -E '^#[0-9]+ EXEC ha=0 target=0 lun=0 ')
  [[ $pending =~ ^#([0-9]+)\ .*\ flags=48\ buflen=50\ buf=set\ senselen=14\ cdblen=12\ postproc=set\ cdb=12\ 00\ 00\ 00\ 32\ 00\ 00\ 00\ 00\ 00\ 00\ 00\ -\>\ 00\ pending$ ]] ||
    fail "the INQUIRY of target 0 was not sent as expected: $pending"
  local number=${BASH_REMATCH[1]}
  expect_log_line "^[0-9.]+ #$number done 01 targstat=00 sense=00/00/00 event=set$"

  stuck=$(log_requests | grep -E '^#[0-9]+ EXEC ha=0 target=1 lun=0 ')
  [[ $stuck =~ ^#([0-9]+)\ .*-\>\ 00\ pending$ ]] || fail "the INQUIRY of target 1: $stuck"
  local stuck_number=${BASH_REMATCH[1]}
  expect_log_line "^[0-9.]+ #[0-9]+ ABORT ha=0 flags=00 toabort=#$stuck_number -> 01$"
  expect_log_line "^[0-9.]+ #$stuck_number done 02 "

  # The abort came after the 30 s wait, not before.
  local sent aborted
  sent=$(grep -E " #$stuck_number EXEC" "$ASPI_LOG" | cut -d' ' -f1)
  aborted=$(grep -E ' ABORT ' "$ASPI_LOG" | cut -d' ' -f1)
  awk -v s="$sent" -v a="$aborted" 'BEGIN { d = a - s; exit !(d >= 29.5 && d < 40) }' ||
    fail "abort $aborted s after the request at $sent s; expected 30 s"
}
