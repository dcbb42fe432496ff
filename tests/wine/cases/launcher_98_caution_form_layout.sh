# The "Caution" form as the user sees it: its place and outer size on the
# screen, a sizeable frame without title-bar buttons, the controls' places
# and the memo's style (no border, editable, wrapping, no scroll bars).

readonly TARGET_KEY=QUAV____OD-K818R________1

# One field of the robot's last answer: the line named NAME, field N.
field() { awk -F'\t' -v name="$1" -v n="$2" '$1 == name { print $n; exit }' <<<"$ROBOT_OUT"; }
place() { echo "$(field rect 2) $(field rect 3) $(field rect 4) $(field rect 5)"; }

run_case() {
  install_test_aspi
  scenario <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.01
SCENARIO
  add_scsi_instance "$TARGET_KEY" 0000 1.01 01
  put_stand_in_flasher
  start_launcher win98

  must_robot wait-window Caution 20000
  must_robot window Caution
  expect_equal "form place and outer size" "$(place)" "229 223 402 159"
  local style=$((0x$(field style 2)))
  expect_equal "system menu, minimize and maximize boxes" $((style & 0x000B0000)) 0
  expect_equal "sizeable frame" $((style & 0x00040000)) $((0x00040000))
  expect_equal "owner" "$(field owner 2)" -

  must_robot control Caution 1
  expect_equal "Yes" "$(place)" "80 88 75 25"
  must_robot control Caution 2
  expect_equal "No" "$(place)" "224 88 75 25"
  must_robot control Caution 100
  expect_equal "memo" "$(place)" "48 16 329 57"
  style=$((0x$(field style 2)))
  local exstyle=$((0x$(field exstyle 2)))
  expect_equal "memo multi-line" $((style & 0x4)) 4
  # WS_BORDER, WS_VSCROLL, WS_HSCROLL; ES_READONLY; ES_AUTOHSCROLL (no wrap).
  expect_equal "memo border, scroll bars" $((style & 0x00B00000)) 0
  expect_equal "memo read-only, no wrap" $((style & 0x880)) 0
  expect_equal "memo sunken edge" $((exstyle & 0x200)) 0
  screenshot caution-form

  must_robot click Caution 2
  wait_program 10 || fail "UpdaterK818R.exe did not end"
}
