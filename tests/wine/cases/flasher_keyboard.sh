# The pages with the keyboard: Enter on a focused button clicks it, Enter
# elsewhere is the page's default command (Back on the update page, Exit on
# the licence page), Esc leaves.

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO

  must_robot focus "$PAGE" 1000
  must_robot key "$PAGE" enter
  must_robot wait-window "$PAGE" 10000
  must_robot lines "$PAGE" 1007 || fail "Enter on Accept did not open the update page"

  must_robot focus "$PAGE" 1007
  must_robot key "$PAGE" enter
  sleep 1
  must_robot controls "$PAGE"
  grep -qP '^1000\tButton' <<<"$ROBOT_OUT" || fail "Enter on the update page did not go back"

  must_robot focus "$PAGE" 1010
  must_robot key "$PAGE" enter
  wait_program 10 || fail "Enter in the licence text did not end the program"
}
