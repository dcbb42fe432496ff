# The owner-drawn buttons' focus rectangle on the real screen: a button that
# gains the focus shows it, keeps it while pressed and after it is let go,
# and looks as it did before once the focus has moved on.

# Saves the Accept button as it is on the screen now.
ACCEPT_BOX=
accept_image() {
  sleep 0.3
  import -display "$DISPLAY" -window root -crop "$ACCEPT_BOX" +repage "$RUN_DIR/accept-$1.png"
}

same_image() {
  [[ $(compare -metric AE "$RUN_DIR/accept-$1.png" "$RUN_DIR/accept-$2.png" null: 2>&1) == 0 ]]
}

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO
  must_robot window "$PAGE"
  local x y
  x=$(robot_field origin 2) y=$(robot_field origin 3)
  must_robot control "$PAGE" 1000
  ACCEPT_BOX="$(robot_field rect 4)x$(robot_field rect 5)+$((x + $(robot_field rect 2)))+$((y + $(robot_field rect 3)))"

  accept_image without-focus
  must_robot focus "$PAGE" 1000
  accept_image focused
  must_robot hold "$PAGE" 1000
  accept_image pressed
  screenshot accept-pressed
  must_robot let-go "$PAGE" 1000
  accept_image let-go
  must_robot focus "$PAGE" 1
  accept_image focus-gone

  same_image without-focus focused && fail "no focus rectangle when the focus came"
  same_image focused pressed && fail "the pressed face looks like the released one"
  same_image focused let-go || fail "after the press the button is not as it was, focused"
  same_image without-focus focus-gone || fail "a focus rectangle was left behind"
  must_robot windows
  expect_equal "the page is still up" "$(grep -c "$PAGE" <<<"$ROBOT_OUT")" 1
  must_robot click "$PAGE" 1
  wait_program 10 || fail "the program did not end"
}
