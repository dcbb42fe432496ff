# In Japanese Windows the robot still reads boxes as UTF-8 text and presses
# their buttons by id, whatever their translated captions say.

run_case() {
  use_japanese_locale
  put_program robot-target.exe
  start_program robot-target.exe
  must_robot wait-window "Robot Target" 20000
  must_robot select "Robot Target" 101 2
  must_robot click "Robot Target" 102
  must_robot msgbox "Target Box"
  grep -qP '^text\tPicked gamma$' <<<"$ROBOT_OUT" || fail "message box text not read"
  grep -qP '^button\t6\tはい' <<<"$ROBOT_OUT" || fail "the Yes button is not captioned in Japanese"
  must_robot press "Target Box" 6
  must_robot wait-no-window "Target Box"
  grep -q '^answer yes' "$WORK_FOLDER/target-events.txt" || fail "the box did not answer yes"
}
