#!/bin/bash
# The show in full-screen mode: the saver window, the picture's copies in the
# picture's own colours on the background colour, and motion.
source "$(dirname "$0")/testlib.sh"

# The saver window as created: title, class, top-most, WS_POPUP | WS_VISIBLE,
# at 0,0 and 640 x 480.
case_fullscreen_window() {
  start_session
  start_show /s
  local made
  made=$(trace_lines "$SHOW_LOG" win WIN_CreateWindowEx | grep -a ' L"VOQ" ')
  printf '%s\n' "$made" | grep -qE '^[^ ]* L?"Quillovarnenthodex" L"VOQ" ex=00000008 style=90000000 0,0 640x480 parent=0+ ' ||
    fail "the saver window was created as: ${made:-nothing}"
  wait_for_title Quillovarnenthodex 10 || fail "no window titled Quillovarnenthodex on the screen"
  [ "$(window_size "$FOUND_WINDOW")" = 640x480 ] ||
    fail "the saver window is $(window_size "$FOUND_WINDOW"), expected 640x480"
  xdotool key space
  expect_exit 10 0 "the saver"
}

_all_quadrants_seen() {
  local rgb
  for rgb in "${PICTURE_RGBS[@]}"; do
    [[ "$SEEN_RGBS" == *" $rgb "* ]] || return 1
  done
}

# Every screenshot holds only the background and the picture's colours (any
# other palette entry, or a colour conversion, would show up), and over a few
# frames all four quadrant colours appear.
case_show_colours() {
  start_session
  start_show /s
  watch_colours _all_quadrants_seen "a colour that is not the picture's nor the background's" ||
    fail "picture colours seen:$SEEN_RGBS; expected ${PICTURE_RGBS[*]}"
  note "colours on the screen:$SEEN_RGBS(background $BACKGROUND_RGB)"
  xdotool key space
  expect_exit 10 0 "the saver"
}

case_show_moves() {
  start_session
  start_show /s
  wait_until 10 _screen_changed || fail "the screen did not change for 10 s"
  note "$("$PYTHON" "$VOQ_WINE_DIR/shots.py" differ "$SHOW_SHOT" "$WORK/later.png") pixels changed"
  xdotool key space
  expect_exit 10 0 "the saver"
}

run_case "$@"
