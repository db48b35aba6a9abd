#!/usr/bin/env bash
# The real saver in a real SDL window on a private X server, driven with
# xdotool: the windowed show's window, the 10-pixel threshold, a key press,
# and a key released while Alt is held.
# usage: xvfb_saver.sh SAVER    (exit 77 when Xvfb or xdotool is missing)
set -u
saver=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77
for n in $(seq 150 199); do [ -e /tmp/.X$n-lock ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; kill "$xvfb" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT
export DISPLAY=:$n
unset SDL_VIDEODRIVER VOQ_FRAMES VOQ_CAPTURE_DIR
for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts the windowed saver and waits for its window; sets pid and wid.
start() {
  "$saver" ws 2>/dev/null &
  pid=$!
  wid=$(timeout 10 xdotool search --sync --name '^Quillovarnenthodex$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] || { fail "$1: no window titled Quillovarnenthodex"; return 1; }
  xdotool windowfocus --sync "$wid" 2>/dev/null
  sleep 1  # frames are being drawn from here on
}
# Waits up to 5 s for the saver to end; sets rc to its exit code or "running".
ended() {
  rc=running
  for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; rc=$?; pid=; return; }
    sleep 0.1
  done
}
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
  xdotool key --window "$wid" a
  ended
  [ "$rc" = 0 ] || fail "a key press: $rc (expected exit code 0)"
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
