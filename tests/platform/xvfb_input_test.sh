#!/bin/bash
# Real input on a real X server: xdotool moves the pointer, clicks and
# presses keys in the probe's full-screen SDL window, and the probe's window
# procedure must get the Windows messages for them. The 1280 x 720 screen
# shows the 640 x 480 image at 1.5 times with 160-pixel bars left and right.
# Exits 77 (skipped) only when Xvfb or xdotool is missing.
probe=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
  echo "Xvfb or xdotool missing"
  exit 77
}

source "$(dirname "$0")/../lib/xvfb.sh"
work=$(mktemp -d /tmp/voq-xvfb-input-XXXXXX)
probe_pid=
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  [ -n "$probe_pid" ] && wait "$probe_pid" 2>/dev/null
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- messages so far:"
  cat "$work/messages"
  echo "--- probe's standard error:"
  cat "$work/stderr"
  exit 1
}

_holds_lines() { [[ "$(cat "$work/messages")" == *"$1"* ]]; }
# Waits up to 10 s until the probe's output holds these lines one after another.
expect_lines() {
  local block
  block=$(printf '%s\n' "$@")
  wait_until 10 _holds_lines "$block" || fail "expected, in this order:"$'\n'"$block"
}

_gone() { ! kill -0 "$1" 2>/dev/null; }
_about_box() {
  box=$(xwininfo -root -tree | awk '/"The Quillovarnenthodex"/ { print $1; exit }')
  [ -n "$box" ]
}

touch "$work/messages"
xvfb_start 1280x720x24 || fail "Xvfb did not start"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
# The pointer starts in the middle of the screen, over the window to come.
xdotool mousemove 640 360 || fail "xdotool cannot reach $DISPLAY"

[ "$(VOQ_PROBE=display "$probe")" = "display 1 window 1" ] || fail "no display seen on $DISPLAY"

VOQ_PROBE=record "$probe" /s >"$work/messages" 2>"$work/stderr" &
probe_pid=$!

# Shown under the pointer: activated in order, then the pointer's position.
expect_lines "WM_ACTIVATEAPP 0x1 0x0" "WM_NCACTIVATE 0x1 0x0" "WM_ACTIVATE 0x1 0x0" \
  "WM_SETFOCUS 0x0 0x0" "ready" "WM_MOUSEMOVE 320 240"

xdotool mousemove 610 225
expect_lines "WM_MOUSEMOVE 300 150"

xdotool key a
expect_lines "WM_KEYDOWN 0x41 0x1e0001" "WM_CHAR 0x61 0x1e0001" "WM_KEYUP 0x41 0xc01e0001"

# Alt released after Alt+key is a plain key up, as on Windows.
xdotool keydown alt keydown b keyup b keyup alt
expect_lines "WM_SYSKEYDOWN 0x12 0x20380001" "WM_SYSKEYDOWN 0x42 0x20300001" \
  "WM_SYSCHAR 0x62 0x20300001" "WM_SYSCOMMAND 0xf100 0x62" \
  "WM_SYSKEYUP 0x42 0xe0300001" "WM_KEYUP 0x12 0xc0380001"

# Alt alone: system key down and up, then DefWindowProc's window menu.
xdotool key alt
expect_lines "WM_KEYUP 0x12 0xc0380001" "WM_SYSKEYDOWN 0x12 0x20380001" \
  "WM_SYSKEYUP 0x12 0xc0380001" "WM_SYSCOMMAND 0xf100 0x0"

# On the right-hand bar: the nearest point of the image.
xdotool mousemove 1200 700 click 1
expect_lines "WM_MOUSEMOVE 639 466" "WM_LBUTTONDOWN 639 466" "WM_LBUTTONUP 639 466"

# The probe closes on Escape; the window goes away through DefWindowProc.
xdotool key Escape
expect_lines "WM_KEYDOWN 0x1b 0x10001" "WM_CHAR 0x1b 0x10001" "WM_CLOSE 0x0 0x0"
wait_until 10 _gone "$probe_pid" || fail "the probe did not end after WM_CLOSE"
wait "$probe_pid"
status=$?
probe_pid=
[ "$status" -eq 0 ] || fail "the probe ended with $status"
expect_lines "WM_DESTROY 0x0 0x0"

# The about box on a display: scripted presses first, then the real box,
# whose default button (Return) is OK.
: >"$work/messages"
VOQ_PROBE=about VOQ_DIALOG_PRESSES=1000,2 "$probe" >"$work/messages" 2>"$work/stderr" &
probe_pid=$!
# xdotool cannot match the box's UTF-8 title; xwininfo lists it.
box=
wait_until 10 _about_box || fail "the about box did not appear"
xdotool windowfocus --sync "$box" key Return
expect_lines "WM_INITDIALOG" "WM_COMMAND 1000" "WM_COMMAND 2" "WM_COMMAND 1" "result 1"
wait "$probe_pid"
status=$?
probe_pid=
[ "$status" -eq 0 ] || fail "the about probe ended with $status"
echo "PASS"
