#!/bin/bash
# What the user sees when the saver cannot use its own file: the message
# boxes, each dismissed with Enter, and exit code 0.
source "$(dirname "$0")/testlib.sh"

# Runs SAVER /s from its folder and goes through the boxes it must show.
run_saver_expecting_boxes() {
  local saver=$1
  shift
  local log=$WORK/run.log
  WINEDEBUG=-all,+msgbox wine_start "$log" "$saver" /s
  dismiss_boxes "$log" "$(basename "$saver")" "$@"
  expect_exit 10 0 "the saver"
  local count
  count=$(box_texts "$log" | wc -l)
  [ "$count" -eq "$#" ] || fail "$count message boxes shown, expected $#: $(box_texts "$log" | tr '\n' '|')"
}

case_no_data_block() {
  start_session
  copy_runtime "$WORK/bare.scr"
  run_saver_expecting_boxes "$WORK/bare.scr" "corrupt header"
}

case_wrong_magic() {
  start_session
  # Differs from the magic in letter case only.
  make_saver "$WORK/magic.scr" --magic quillovarnenthodex
  run_saver_expecting_boxes "$WORK/magic.scr" "corrupt header"
}

case_header_cut_short() {
  start_session
  make_saver "$WORK/whole.scr"
  head -c $((57344 + 200)) "$WORK/whole.scr" >"$WORK/short.scr"
  run_saver_expecting_boxes "$WORK/short.scr" "corrupt header"
}

case_file_cannot_be_opened() {
  start_session
  make_saver "$WORK/good.scr"
  # A three-character switch shifts the derived path by one character onto
  # a name that does not exist (the closing quote stays on it).
  local log=$WORK/run.log
  WINEDEBUG=-all,+msgbox,+file wine_start "$log" "$WORK/good.scr" /sx
  dismiss_boxes "$log" good.scr "error opening file" "corrupt header"
  expect_exit 10 0 "the saver"
  grep -aq 'CreateFileW L"Z:.*\\good\.scr\\"" GENERIC_READ' "$log" ||
    fail "the saver did not try to open its path with the closing quote left on"
}

run_case "$@"
