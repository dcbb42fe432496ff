# The "Caution" form as the user sees it: its place and outer size on the
# screen, a sizeable frame without title-bar buttons, the controls' places,
# the memo's style (no border, editable, wrapping, no scroll bars) and its
# text drawn in 8-point MS Sans Serif (height -11).

run_case() {
  add_scsi_instance "$TARGET_KEY" 0000 1.01 01
  open_kit win98 stand-in Caution <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.01
SCENARIO
  must_robot window Caution
  expect_equal "form place and outer size" "$(robot_rect)" "229 223 402 159"
  local style=$((0x$(robot_field style 2)))
  expect_equal "system menu, minimize and maximize boxes" $((style & 0x000B0000)) 0
  expect_equal "sizeable frame" $((style & 0x00040000)) $((0x00040000))
  expect_equal "owner" "$(robot_field owner 2)" -

  must_robot control Caution 1
  expect_equal "Yes" "$(robot_rect)" "80 88 75 25"
  must_robot control Caution 2
  expect_equal "No" "$(robot_rect)" "224 88 75 25"
  must_robot control Caution 100
  expect_equal "memo" "$(robot_rect)" "48 16 329 57"
  style=$((0x$(robot_field style 2)))
  local exstyle=$((0x$(robot_field exstyle 2)))
  expect_equal "memo multi-line" $((style & 0x4)) 4
  # WS_BORDER, WS_VSCROLL, WS_HSCROLL; ES_READONLY; ES_AUTOHSCROLL (no wrap).
  expect_equal "memo border, scroll bars" $((style & 0x00B00000)) 0
  expect_equal "memo read-only, no wrap" $((style & 0x880)) 0
  expect_equal "memo sunken edge" $((exstyle & 0x200)) 0

  # The font, from where the memo draws its text: "Because of" is its first
  # ten characters, and the second stored line starts after 62 and CR LF.
  must_robot char-place Caution 100 0
  local x0 y0
  x0=$(robot_field place 2) y0=$(robot_field place 3)
  must_robot char-place Caution 100 10
  local width=$(($(robot_field place 2) - x0))
  must_robot char-place Caution 100 64
  local line=$(($(robot_field place 3) - y0))
  must_robot text-size "MS Sans Serif" -11 "Because of"
  expect_equal "memo font (width of \"Because of\", line height)" "$width $line" \
    "$(robot_field size 2) $(robot_field size 3)"
  screenshot caution-form

  must_robot click Caution 2
  wait_program 10 || fail "UpdaterK818R.exe did not end"
}
