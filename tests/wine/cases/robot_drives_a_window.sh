# The robot against a window of our own: every operation the kit's tests
# rely on, each checked through what the window itself recorded.

events() { tr -d "\r" <"$WORK_FOLDER/target-events.txt" 2>/dev/null; }

run_case() {
  put_program robot-target.exe
  start_program robot-target.exe
  must_robot wait-window "Robot Target" 20000

  must_robot controls "Robot Target"
  grep -qP '^101\tComboBox\tenabled\tvisible\t$' <<<"$ROBOT_OUT" || fail "drop-down list not listed"
  grep -qP '^103\tButton\tdisabled\tvisible\tOff$' <<<"$ROBOT_OUT" || fail "disabled button not listed"
  must_robot lines "Robot Target" 101
  expect_equal "drop-down lines" "$ROBOT_OUT" $'alpha\nbeta\ngamma'

  must_robot select "Robot Target" 101 1
  robot click "Robot Target" 103 && fail "the robot clicked a disabled button"
  must_robot click "Robot Target" 102
  must_robot msgbox "Target Box"
  grep -qP '^text\tPicked beta$' <<<"$ROBOT_OUT" || fail "message box text not read"
  grep -qP '^button\t6\t' <<<"$ROBOT_OUT" || fail "Yes button not listed"
  grep -qP '^button\t7\t' <<<"$ROBOT_OUT" || fail "No button not listed"
  must_robot press "Target Box" 7
  must_robot wait-no-window "Target Box"

  must_robot key "Robot Target" enter
  must_robot key "Robot Target" esc
  must_robot wait-exit robot-target.exe 10000
  wait_program 10 || fail "robot-target.exe did not end"
  restart_requested && fail "a program that quit was taken for a restart of Windows"

  expect_equal "events" "$(events)" $'started\nselected beta\nanswer no\nenter\nesc\nended'
}
