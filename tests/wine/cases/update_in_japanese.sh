# Windows 98 with a Japanese system locale: a whole update ends in the
# Japanese success text, in the page and in the box, then the restart.
# Waits out the closing command's minute.

readonly UPDATING='ファームウェアを更新中です。\r\nプログラムの中止、電源の切断をしないでください。'
readonly SUCCESS='更新が成功しました。コンピューターのシャットダウンが必要です。\r\n'

run_case() {
  use_japanese_locale
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00 notready=3000
SCENARIO
  confirm_update
  must_robot wait-window "Updating ..." 10000
  must_robot controls "Updating ..."
  grep -qxF "11	Static	enabled	visible	$UPDATING" <<<"$ROBOT_OUT" ||
    fail "the progress window does not show the Japanese updating text"
  must_robot msgbox FlashK818R 150000
  grep -qxF "text	$SUCCESS" <<<"$ROBOT_OUT" || fail "the box does not say the update succeeded"
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$SUCCESS"
  must_robot press FlashK818R 1
  wait_for_restart 30
  [[ $(log_count 'cdb=5A 00 38 41 53 11 ') == 992 ]] || fail "the flash was not read back whole"
}
