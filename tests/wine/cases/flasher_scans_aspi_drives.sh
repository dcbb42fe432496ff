# Windows 98: the flasher's drive object sweeps every adapter, target and
# LUN of the test DLL with GET_DEV_TYPE and sends INQUIRY to each CD-ROM
# device only, a foreign one included.

readonly INQUIRY_FIELDS='flags=48 buflen=50 buf=set senselen=14 cdblen=12 postproc=set'
readonly INQUIRY_CDB='cdb=12 00 00 00 32 00 00 00 00 00 00 00'

run_case() {
  prepare_kit --no-image win98 flasher <<'SCENARIO'
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
aspi ha=0 target=1 lun=0 k818r revision=1.01
aspi ha=0 target=3 lun=0 disk
aspi ha=1 target=2 lun=1 k818r revision=2.03
SCENARIO
  start_program FlashK818R.exe
  wait_for_log 'GET_DEV_TYPE ha=1 target=7 lun=7 ' 1 60
  wait_for_log 'EXEC ha=1 target=2 lun=1 ' 1 30
  screenshot after-scan

  expect_log_line '^[0-9.]+ scenario: '
  expect_log_line '^[0-9.]+ support -> 0x00000102$'

  local expected=() ha target lun outcome
  for ha in 0 1; do
    for target in $(seq 0 7); do
      for lun in $(seq 0 7); do
        case $ha/$target/$lun in
          0/0/0 | 0/1/0 | 1/2/1) outcome='01 type=05' ;;
          0/3/0) outcome='01 type=00' ;;
          *) outcome='82 type=1F' ;;
        esac
        expected+=("GET_DEV_TYPE ha=$ha target=$target lun=$lun flags=00 -> $outcome")
      done
    done
  done
  local sweep
  sweep=$(log_requests | grep -E '^#[0-9]+ GET_DEV_TYPE' | cut -d' ' -f2-)
  expect_equal "GET_DEV_TYPE sweep" "$sweep" "$(printf '%s\n' "${expected[@]}")"

  local inquiries
  inquiries=$(log_requests | grep -E '^#[0-9]+ EXEC' | cut -d' ' -f2-)
  expect_equal "INQUIRYs" "$inquiries" "$(
    for address in 'ha=0 target=0 lun=0' 'ha=0 target=1 lun=0' 'ha=1 target=2 lun=1'; do
      echo "EXEC $address $INQUIRY_FIELDS $INQUIRY_CDB -> 01 targstat=00 sense=00/00/00 event=set"
    done
  )"
  [[ $(log_count 'ABORT|CMD ') == 0 ]] || fail "unexpected abort or unknown request in the log"
}
