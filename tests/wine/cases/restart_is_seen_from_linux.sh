# A program that restarts Windows takes every process of the prefix with it,
# the robot included, so the runner sees the restart from outside: the
# restart asked of Wine and the program gone. The update tests rely on this
# to tell a restart from a crash or a program that just quit.

run_case() {
  put_program robot-target.exe
  start_program robot-target.exe
  must_robot wait-window "Robot Target" 20000
  restart_requested && fail "a restart was seen before anything asked for one"

  must_robot click "Robot Target" 104
  wait_for_restart 30
  grep -q '^restarting' "$WORK_FOLDER/target-events.txt" || fail "the program did not ask to restart"
  if grep -q '^ended' "$WORK_FOLDER/target-events.txt"; then
    fail "the program ended by itself instead of being ended by the restart"
  fi
}
