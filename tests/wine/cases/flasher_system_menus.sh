# The pages' system menus, opened with Alt+Space and worked with the arrow
# keys as a user does: the licence page's last item, after a separator,
# opens the version box; on the update page Close is the third item, after
# Move and Minimize: Restore, Size and Maximize are gone.

readonly VERSION_BOX="UpdaterK818R Version Information"

run_case() {
  open_kit win98 flasher <<'SCENARIO'
aspi ha=0 target=1 lun=0 k818r revision=1.00
SCENARIO

  # Up from the first item wraps round to the last. (Its letter, A, would
  # pick the "About Wine" item that Wine adds to every system menu first.)
  must_robot sysmenu "$PAGE" "^"
  screenshot licence-page-system-menu
  must_robot type "."
  must_robot wait-window "$VERSION_BOX" 5000
  must_robot key "$VERSION_BOX" esc
  must_robot wait-no-window "$VERSION_BOX" 5000

  must_robot click "$PAGE" 1000
  sleep 0.5
  must_robot wait-window "$PAGE" 10000
  wait_for_control "$PAGE" 1007 10000
  # Move is selected when the menu opens; two steps down is Close.
  must_robot sysmenu "$PAGE" "vv"
  screenshot update-page-system-menu
  must_robot type "."
  wait_program 10 || fail "the third item of the update page's system menu is not Close"
}
