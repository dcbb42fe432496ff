# The progress window as Windows shows it (created 390 x 130, then sized to
# its layout in the message font, on top, no system menu, not activated,
# centred over the update page, Cancel hidden), and the outcome box that
# arrives while another program is in front: it belongs to the update page.

readonly PROGRESS="Updating ..."

run_case() {
  put_program robot-target.exe
  prepare_kit winxp flasher <<'SCENARIO'
letter E: k818r revision=1.00 notready=15000
SCENARIO
  KIT_WINE_PROGRAM_DEBUG=+win start_program FlashK818R.exe
  confirm_update

  must_robot wait-window "$PROGRESS" 10000
  must_robot window "$PAGE"
  local page_left page_top page_width page_height
  page_left=$(robot_field rect 2) page_top=$(robot_field rect 3) page_width=$(robot_field rect 4)
  page_height=$(robot_field rect 5)
  expect_equal "the page stays the active window" "$(robot_field active 2)" yes

  must_robot window "$PROGRESS"
  local left top width height style exstyle
  left=$(robot_field rect 2) top=$(robot_field rect 3) width=$(robot_field rect 4) height=$(robot_field rect 5)
  style=$((0x$(robot_field style 2))) exstyle=$((0x$(robot_field exstyle 2)))
  expect_equal "owner" "$(robot_field owner 2)" "$PAGE"
  expect_equal "shown without activation" "$(robot_field active 2)" no
  expect_equal "system menu" $((style & 0x00080000)) 0
  expect_equal "caption" $((style & 0x00C00000)) $((0x00C00000))
  expect_equal "on top" $((exstyle & 0x8)) 8
  expect_equal "modal frame" $((exstyle & 0x1)) 1
  expect_equal "left, centred over the page" "$left" $((page_left + (page_width - width) / 2))
  expect_equal "top, centred over the page" "$top" $((page_top + (page_height - height) / 2))
  local client_width client_height
  client_width=$(robot_field client 2) client_height=$(robot_field client 3)

  must_robot message-font
  local lines cancel_width cancel_height edge_x edge_y
  lines=$(robot_field lines 2) cancel_width=$(robot_field cancel 2) cancel_height=$(robot_field cancel 3)
  edge_x=$(robot_field edge 2) edge_y=$(robot_field edge 3)
  local button_width=$((cancel_width + 4 * edge_x)) button_height=$((cancel_height + 3 * edge_y))
  local button_top=$((10 + lines + 10)) button_left=$((10 + 332 - button_width))
  expect_equal "client size" "$client_width $client_height" \
    "352 $((lines + button_height + 30))"

  must_robot control "$PROGRESS" 11
  expect_equal "message place" "$(robot_rect)" \
    "10 10 332 $lines"
  must_robot control "$PROGRESS" 10
  expect_equal "Cancel hidden" "$(robot_field visible 2)" no
  expect_equal "Cancel place" "$(robot_rect)" \
    "$button_left $button_top $button_width $button_height"
  must_robot control "$PROGRESS" 12
  expect_equal "bar place" "$(robot_rect)" \
    "10 $((button_top + edge_y)) $((button_left - 20)) $((button_height - 2 * edge_y))"
  screenshot progress-window

  # Created at 390 x 130 before the layout sized it (Wine's window trace).
  grep -qE 'K818RUpdateProgress.* 0,0 390x130 ' "$RUN_DIR/program.log" ||
    fail "the progress window was not created at 0, 0, 390 x 130"

  # Another program comes to the front while the drive is being written.
  start_program robot-target.exe
  must_robot wait-window "Robot Target" 10000
  must_robot activate "Robot Target"
  must_robot msgbox FlashK818R 120000
  must_robot window FlashK818R
  expect_equal "the outcome box's owner" "$(robot_field owner 2)" "$PAGE"
  screenshot outcome-box-over-another-program
  must_robot press FlashK818R 1
  wait_for_restart 30
}
