#!/usr/bin/env bash
# The real saver in a real SDL window on a private X server, driven with
# xdotool: the windowed show's window, the 10-pixel threshold, a key press,
# and a key released while Alt is held.
# usage: xvfb_saver.sh SAVER    (exit 77 when Xvfb or xdotool is missing)
set -u
saver=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77
source "$(dirname "$0")/../lib/xvfb.sh"
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$pid" ] && wait "$pid" 2>/dev/null; xvfb_stop; }
trap cleanup EXIT
xvfb_start 1024x768x24 || exit 1
unset SDL_VIDEODRIVER VOQ_FRAMES VOQ_CAPTURE_DIR
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]; }
# Until its first frame is shown the saver takes the pointer's moves only as
# the point to measure from; a frame is on the screen once it is not all black.
_shows_frame() { [ "$(timeout 5 import -window "$wid" -format '%[fx:maxima>0]' info: 2>/dev/null)" = 1 ]; }
_ended() { ! kill -0 "$pid" 2>/dev/null; }

# Starts the windowed saver and waits until its window has the keyboard
# focus (which it takes itself) and shows a frame; sets pid and wid.
start() {
  "$saver" ws 2>/dev/null &
  pid=$!
  wid=$(timeout 10 xdotool search --sync --name '^Quillovarnenthodex$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] || { fail "$1: no window titled Quillovarnenthodex"; return 1; }
  wait_until 10 _focused || { fail "$1: the new window did not take the keyboard focus"; return 1; }
  wait_until 10 _shows_frame || { fail "$1: the window shows no frame"; return 1; }
}
# Waits up to 5 s for the saver to end; sets rc to its exit code or "running".
ended() {
  rc=running
  if wait_until 5 _ended; then
    wait "$pid"
    rc=$?
    pid=
  fi
}
# For the checks that something does NOT happen: a settle time, each followed
# by an input that must end the saver, so that a slow machine fails that one.
still_running() { sleep 1; kill -0 "$pid" 2>/dev/null; }
finish() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=; }

if start window; then
  size=$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ { print $2 }')
  [ "$size" = 640x480 ] || fail "window is $size, not 640x480"
  eval "$(xdotool getmouselocation --shell)"
  # The pointer is inside the window; steps of 10 pixels never end the show.
  for step in "10 0" "0 10" "-10 0" "0 -10"; do
    xdotool mousemove_relative -- $step
    still_running || fail "a 10-pixel move ($step) ended the saver"
  done
  xdotool mousemove_relative -- 11 0
  ended
  [ "$rc" = 0 ] || fail "an 11-pixel jump: $rc (expected exit code 0)"
  finish
fi

if start key; then
  # Sent to whichever window has the focus, as a real keyboard does.
  xdotool key a
  ended
  [ "$rc" = 0 ] || fail "a key press: $rc (expected exit code 0)"
  finish
fi

# A window made wider shows the frame anew, scaled to fit between black bars
# (none before): 1000 x 480 has 180-pixel bars left and right.
_shows_bars() {
  [ "$(timeout 5 import -window "$wid" -crop 170x480+0+0 -format '%[fx:maxima>0]' info: 2>/dev/null)" = 0 ] &&
    [ "$(timeout 5 import -window "$wid" -crop 640x480+180+0 -format '%[fx:maxima>0]' info: 2>/dev/null)" = 1 ]
}
if start resize; then
  _shows_bars && fail "black bars before the resize"
  xdotool windowsize "$wid" 1000 480
  wait_until 10 _shows_bars || fail "the frame is not shown between black bars after a resize"
  finish
fi

# A key released while Alt is held is swallowed; releasing Alt does nothing.
xdotool keydown Alt_L keydown x
if start alt; then
  xdotool keyup x
  still_running || fail "releasing a key while Alt is held ended the saver"
  xdotool keyup Alt_L
  still_running || fail "releasing Alt ended the saver"
  finish
fi
xdotool keyup x keyup Alt_L 2>/dev/null

echo "saver under Xvfb: $failures failed"
[ $failures -eq 0 ]
