# Japanese Windows 98 (system locale 0411): the licence page, the update
# page and the question in Japanese, the fixed captions and button labels
# the same as in English.

control_text() {
  must_robot controls "$PAGE" >&2
  awk -F'\t' -v id="$1" '$1 == id { print $5 }' <<<"$ROBOT_OUT"
}

run_case() {
  use_japanese_locale
  add_cdrom_letter D
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO

  local licence
  licence=$(control_text 1010)
  [[ $licence == 'OD-K818R ファームウェア更新プログラム\r\nソフトウェア使用許諾契約書\r\n'* ]] ||
    fail "Japanese licence text: ${licence:0:80}"
  expect_equal "prompt" "$(control_text 1011)" \
    '契約書に同意頂ける場合は、"Accept"をクリックして下さい。\r\n同意頂けない場合は、"Exit"をクリックし、終了して下さい。'
  must_robot controls "$PAGE"
  grep -qP '^1000\tButton\tenabled\tvisible\t&Accept$' <<<"$ROBOT_OUT" || fail "Accept label"
  screenshot licence-page-japanese

  must_robot click "$PAGE" 1000
  must_robot wait-window "$PAGE" 10000
  expect_equal "label" "$(control_text 1008)" 'ターゲットドライブ ：'
  local text
  text=$(control_text 1012)
  [[ $text == 'OD-K818Rが見つかりました。Ver.1.01への更新が可能です。\r\n\r\n'* ]] ||
    fail "Japanese page text: ${text:0:80}"
  [[ $text == *'\r\n\r\n注意 : 万一、'* ]] || fail "caution part of the Japanese page text"
  screenshot update-page-japanese

  must_robot click "$PAGE" 1
  must_robot msgbox FlashK818R 10000
  grep -qxP 'text\t  1\.　他の実行中のアプリケーションを全て終了して下さい。\\r\\n.*\\r\\n\\r\\nOD-K818Rのファームウェアを1\.01に更新します。宜しいですか？' <<<"$ROBOT_OUT" ||
    fail "Japanese question"
  screenshot question-japanese
  must_robot press FlashK818R 7
  must_robot wait-no-window FlashK818R 5000
}
