# Windows 98 with a Japanese system locale: a drive that never becomes ready
# after the closing command ends in the Japanese failure text, with no
# restart. It waits out the closing command's minute and two minutes of
# polling: the longest case.

readonly FAILED='OD-K818Rファームウェアの更新に失敗しました。\r\n\r\nハードウェアエラーが発生しています。\r\nご使用のドライブは修理する必要があると思われます。\r\n\r\n'
readonly EXIT_HINT='\r\n\r\n"Exit"をクリックして、プログラムを終了して下さい。'

run_case() {
  use_japanese_locale
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
fault neverready
SCENARIO
  confirm_update
  must_robot wait-window "Updating ..." 10000
  screenshot "progress-japanese"
  answer_failure_box 240000 "$FAILED"
  must_robot wait-no-window FlashK818R 5000
  expect_equal "page text" "$(control_text "$PAGE" 1012)" "$FAILED$EXIT_HINT"
  [[ $(log_count 'cdb=5A 00 38 41 53 11 ') == 0 ]] || fail "a drive that never came back was read"
  expect_no_restart_then_exit
}
