#!/bin/bash
# The windowed variant, ws: a captioned 640 x 480 window on the desktop.
source "$(dirname "$0")/testlib.sh"

# Takes screenshot $2; succeeds when it differs from screenshot $1.
_window_changed() {
  screenshot "$2"
  [ "$("$PYTHON" "$VOQ_WINE_DIR/shots.py" differ "$1" "$2")" -gt 0 ]
}

case_windowed() {
  start_session
  make_saver "$WORK/show.scr"
  local log=$WORK/show.log
  WINEDEBUG=-all,+msgbox,+win wine_start "$log" "$WORK/show.scr" ws
  wait_for_title Quillovarnenthodex 20 || {
    still_running || fail "the saver ended without a window; boxes: $(box_texts "$log" | tr '\n' '|')"
    fail "no window titled Quillovarnenthodex appeared"
  }
  local size position
  size=$(window_size "$FOUND_WINDOW")
  position=$(window_position "$FOUND_WINDOW")
  [ "$size" = 640x480 ] || fail "the window is $size, expected 640x480"
  [ "$position" = 0,0 ] || fail "the window is at $position, expected 0,0"
  local made
  made=$(trace_lines "$log" win WIN_CreateWindowEx | grep -a ' L"VOQ" ')
  printf '%s\n' "$made" | grep -qE '^[^ ]* L?"Quillovarnenthodex" L"VOQ" ex=00000008 style=10ce0000 0,0 640x480 parent=0+ ' ||
    fail "the saver window was created as: ${made:-nothing}"
  # Frames follow one another in the window: it changes from how it looked
  # when it appeared, and then again.
  screenshot "$WORK/appeared.png"
  wait_until 10 _window_changed "$WORK/appeared.png" "$WORK/first.png" ||
    fail "nothing was drawn in the window for 10 s"
  wait_until 10 _window_changed "$WORK/first.png" "$WORK/later.png" ||
    fail "the window's contents did not change for 10 s"
  expect_no_boxes "$log"
  xdotool key a
  expect_exit 10 0 "the windowed saver after a key press"
}

run_case "$@"
