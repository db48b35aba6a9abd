#!/bin/bash
# What ends the running show and what does not.
source "$(dirname "$0")/testlib.sh"

# The message trace shows each mouse move handed to the saver window.
SHOW_WINEDEBUG=-all,+msgbox,+win,+message

_moves_to() {
  grep -ac "L\"Quillovarnentho\" \[0200\] WM_MOUSEMOVE dispatched  wp=[0-9a-f]* lp=$1\$" "$SHOW_LOG"
}

_moved() {
  [ "$(_moves_to "$1")" -gt "$2" ]
}

# The saver measures each move from the last position it was handed, which
# need not be where the X pointer is: Wine may report the pointer where it
# last saw it (the screen's middle at start), or not at all (0,0). Puts the
# pointer on that reference point, which moves nothing in the saver's eyes,
# and sets RX, RY to it.
sync_reference() {
  local last
  last=$(grep -a 'L"Quillovarnentho" \[0200\] WM_MOUSEMOVE dispatched ' "$SHOW_LOG" | tail -n 1 |
    sed 's/.* lp=//')
  last=$((16#${last:-0}))
  RX=$((last & 0xFFFF))
  RY=$((last >> 16))
  # Wine hands on no move to the point it already knows, so none is awaited;
  # only the pointer's arrival there.
  xdotool mousemove "$RX" "$RY"
  wait_until 5 _pointer_at "$RX" "$RY" || fail "the pointer did not reach $RX,$RY"
  note "the saver's reference point is $RX,$RY"
}

_pointer_at() {
  [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$1 y:$2" ]
}

# Moves the pointer and waits until the saver window has been handed that
# move, so that moves never reach it merged into one larger move.
move_pointer() {
  local x=$1 y=$2 lp before
  lp=$(printf '%08x' $(((y << 16) | x)))
  before=$(_moves_to "$lp")
  xdotool mousemove "$x" "$y"
  wait_until 10 _moved "$lp" "$before" || fail "the saver window was not handed the move to $x,$y"
}

case_key_ends() {
  start_session
  start_show /s
  xdotool key a
  expect_exit 10 0 "the saver after a key press"
}

case_click_ends() {
  start_session
  start_show /s
  xdotool click 1
  expect_exit 10 0 "the saver after a click"
}

case_mouse_jump_ends() {
  start_session
  start_show /s
  sync_reference
  move_pointer "$RX" $((RY < 240 ? RY + 20 : RY - 20))
  expect_exit 10 0 "the saver after the pointer jumped 20 pixels"
}

# Moves of 10 pixels or less along each axis, a right-button click and an Alt
# press do not end the show; then a move of 11 pixels does.
case_small_moves_do_not_end() {
  start_session
  start_show /s
  sync_reference
  # Steps of at most 10 pixels along each axis, away from the nearer edges.
  local sx=$((RX < 320 ? 1 : -1)) sy=$((RY < 240 ? 1 : -1)) step
  for step in "10 0" "10 10" "0 20" "-10 10" "-5 5" "5 15"; do
    set -- $step
    move_pointer $((RX + sx * $1)) $((RY + sy * $2))
  done
  expect_running "moves of 10 pixels or less"
  xdotool click 3
  expect_running "a right-button click"
  xdotool key Alt_L
  expect_running "pressing and releasing Alt"
  # From the last point, 11 pixels along x.
  move_pointer $((RX + sx * 16)) $((RY + sy * 15))
  expect_exit 10 0 "the saver after the pointer moved 11 pixels"
}

run_case "$@"
