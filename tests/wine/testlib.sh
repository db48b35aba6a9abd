# Source this from a test script: helpers for the end-to-end tests of the
# Windows build under Wine. A script defines case_<name> functions and ends
# with `run_case "$@"`.
#
# Environment (set by ctest; see CMakeLists.txt beside this file):
#   VOQ_WINE_RUNTIME  the x86_64 runtime (voq.exe) to test
#   VOQ_WINE_PREFIX   the Wine prefix shared by the tests of one run
#   VOQ_WINE_WORK     a scratch folder; each case works in a subfolder of it
#   VOQ_MAKE          the authoring tool, when the build has it: it then
#                     makes the savers that need no corrupt header

set -u

VOQ_WINE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_env.sh
source "$VOQ_WINE_DIR/wine_env.sh"

# The system Python starts much faster than a version manager's shim.
if [ -x /usr/bin/python3 ]; then PYTHON=${PYTHON:-/usr/bin/python3}; else PYTHON=${PYTHON:-python3}; fi
IMPORT=${IMPORT:-/usr/bin/import}
# The virtual desktop, and with it the saver's screen, sits at the top left.
SCREEN_GEOMETRY=640x480+0+0
# Settle time for the checks that something does NOT happen; each of them is
# followed by an input that must have an effect, so a slow machine shows up
# as a failure of that positive check rather than as a false pass.
SETTLE_SECONDS=${VOQ_WINE_SETTLE:-1.5}

CASE=
WORK=

fail() {
  echo "FAIL [$CASE]: $*" >&2
  [ -n "$WORK" ] && echo "  (logs and screenshots are in $WORK)" >&2
  exit 1
}

note() {
  echo "[$CASE] $*"
}

_cleanup() {
  wine_env_stop
}

# Starts Xvfb and the wineserver for this case and ends them when it exits.
start_session() {
  : "${VOQ_WINE_RUNTIME:?}" "${VOQ_WINE_PREFIX:?}"
  [ -f "$VOQ_WINE_RUNTIME" ] || fail "runtime $VOQ_WINE_RUNTIME does not exist"
  trap _cleanup EXIT
  # Whatever an earlier case left when it was killed would hold the prefix.
  wine_env_reap "$VOQ_WINE_PREFIX"
  wine_env_start "$VOQ_WINE_PREFIX" || fail "could not start Xvfb and Wine"
  note "Xvfb on $DISPLAY, prefix $WINEPREFIX"
  wine_desktop_up || fail "the virtual desktop did not come up"
  # Xvfb moves the pointer only once a window exists; keep it in a known
  # place inside the virtual desktop.
  xdotool mousemove 320 240
  [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:320 y:240" ] ||
    fail "could not move the pointer into the virtual desktop"
}

run_case() {
  CASE=$1
  declare -F "case_$CASE" >/dev/null || {
    echo "no such case: $CASE" >&2
    exit 2
  }
  : "${VOQ_WINE_WORK:=${TMPDIR:-/tmp}/voq-wine}"
  WORK=$VOQ_WINE_WORK/$CASE
  rm -rf "$WORK"
  mkdir -p "$WORK"
  "case_$CASE"
  echo "PASS [$CASE]"
}

# make_saver OUT [make_saver.py options]: a saver of the runtime under test.
make_saver() {
  local out=$1
  shift
  "$PYTHON" "$VOQ_WINE_DIR/make_saver.py" "$VOQ_WINE_RUNTIME" "$out" \
    ${VOQ_MAKE:+--tool "$VOQ_MAKE"} "$@" || fail "could not make the saver $out"
}

# The runtime alone, as a saver file without a data block.
copy_runtime() {
  cp "$VOQ_WINE_RUNTIME" "$1" || fail "could not copy the runtime"
}

# Lines of a Wine trace channel's output, e.g. trace_lines LOG msgbox MSGBOX_OnInit
trace_lines() {
  grep -a ":$2:$3 " "$1" 2>/dev/null
}

# The message box texts a run showed so far, one a line, in order.
box_texts() {
  trace_lines "$1" msgbox MSGBOX_OnInit | sed -e 's/^[^"]*L"//' -e 's/"$//'
}

box_count_at_least() {
  [ "$(box_texts "$1" | wc -l)" -ge "$2" ]
}

# Top-level windows that a program shows: X windows inside the virtual
# desktop whose class is the program's file name, mapped and larger than the
# 1 x 1 helper windows. Prints their ids.
program_windows() {
  local name=$1 id
  for id in $(xdotool search --onlyvisible --classname "^${name//./\\.}\$" 2>/dev/null); do
    local geometry
    geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ -n "$geometry" ] && [ "$geometry" != 1x1 ] && echo "$id"
  done
}

_first_program_window() {
  FOUND_WINDOW=$(program_windows "$1" | head -n 1)
  [ -n "$FOUND_WINDOW" ]
}

_window_gone() {
  ! xdotool getwindowgeometry "$1" >/dev/null 2>&1 ||
    [ -z "$(xdotool search --onlyvisible --classname . 2>/dev/null | grep -x "$1")" ]
}

_window_titled() {
  FOUND_WINDOW=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$FOUND_WINDOW" ]
}

# wait_for_title TITLE SECONDS: waits for a visible window titled exactly
# TITLE; sets FOUND_WINDOW.
wait_for_title() {
  wait_until "$2" _window_titled "$1"
}

window_size() {
  xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'
}

window_position() {
  xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9-]*,[0-9-]*\).*/\1/p'
}

# Goes through the message boxes a run must show, in order: checks each
# box's text and empty caption, keeps a screenshot, and dismisses it with
# Enter. $1 is the run's log, $2 the program's file name.
dismiss_boxes() {
  local log=$1 program=$2
  shift 2
  local n=0 text tries
  for text in "$@"; do
    n=$((n + 1))
    wait_until 20 box_count_at_least "$log" "$n" ||
      fail "message box $n (\"$text\") never came; boxes so far: $(box_texts "$log" | tr '\n' '|')"
    local shown
    shown=$(box_texts "$log" | sed -n "${n}p")
    [ "$shown" = "$text" ] || fail "message box $n says \"$shown\", expected \"$text\""
    wait_until 10 _first_program_window "$program" ||
      fail "message box $n (\"$text\") is not on the screen"
    local box=$FOUND_WINDOW caption
    caption=$(xdotool getwindowname "$box")
    [ -z "$caption" ] || fail "message box $n has the caption \"$caption\", expected none"
    screenshot "$WORK/box$n.png"
    for tries in 1 2 3; do
      xdotool key Return
      wait_until 3 _window_gone "$box" && break
    done
    _window_gone "$box" || fail "Enter did not dismiss message box $n (\"$text\")"
    note "message box $n: \"$text\", dismissed with Enter"
  done
}

# Fails unless the run shows no message box at all.
expect_no_boxes() {
  local log=$1
  local texts
  texts=$(box_texts "$log" | tr '\n' '|')
  [ -z "$texts" ] || fail "unexpected message boxes: $texts"
}

# expect_exit SECONDS CODE [what]: the background run ends in time with CODE.
expect_exit() {
  local seconds=$1 expected=$2 what=${3:-the program}
  local rc=0
  wine_wait "$seconds" || rc=$?
  [ "$rc" -ne 124 ] || fail "$what did not end within $seconds s"
  [ "$rc" -eq "$expected" ] || fail "$what ended with exit code $rc, expected $expected"
}

still_running() {
  _wine_env_pid_alive "$WINE_PID"
}

_import() {
  "$IMPORT" -window root -crop "$SCREEN_GEOMETRY" +repage "$1" 2>"$WORK/import.err"
}

# import now and then fails while windows change under it; it is asked until
# it succeeds.
screenshot() {
  wait_until 2 _import "$1" || fail "could not take a screenshot: $(head -n 1 "$WORK/import.err")"
}

# Colours of a screenshot as "r,g,b count" lines.
colours() {
  "$PYTHON" "$VOQ_WINE_DIR/shots.py" colours "$1"
}

# The colours make_saver.py paints with: the background, then the picture's.
read -r -a SAVER_COLOURS <<<"$("$PYTHON" "$VOQ_WINE_DIR/make_saver.py" --colours | tr '\n' ' ')"
BACKGROUND_RGB=${SAVER_COLOURS[0]}
PICTURE_RGBS=("${SAVER_COLOURS[@]:1}")

_show_on_screen() {
  screenshot "$1"
  "$PYTHON" "$VOQ_WINE_DIR/shots.py" show "$1" "$BACKGROUND_RGB" "${PICTURE_RGBS[@]}" >/dev/null
}

# start_show ARGS...: makes a saver and runs it as run_show does.
start_show() {
  make_saver "$WORK/show.scr"
  run_show "$WORK/show.scr" "$@"
}

# run_show SAVER ARGS...: starts SAVER with ARGS and waits until the show is
# on the screen (BACKGROUND_RGB over most of it and at least one of
# PICTURE_RGBS); the first frame has been drawn by then. SHOW_SHOT is that
# screenshot, SHOW_LOG the run's log.
run_show() {
  local saver=$1
  shift
  SHOW_LOG=$WORK/show.log
  SHOW_SHOT=$WORK/show.png
  WINEDEBUG=${SHOW_WINEDEBUG:--all,+msgbox,+win} wine_start "$SHOW_LOG" "$saver" "$@"
  if ! wait_until 30 _show_on_screen "$SHOW_SHOT"; then
    still_running || fail "the saver ended before its show appeared; boxes: $(box_texts "$SHOW_LOG" | tr '\n' '|')"
    fail "the show did not appear: $("$PYTHON" "$VOQ_WINE_DIR/shots.py" show "$SHOW_SHOT" \
      "$BACKGROUND_RGB" "${PICTURE_RGBS[@]}")"
  fi
  note "show on the screen ($*)"
}

# watch_colours ENOUGH WHAT: screenshots of the running show, a moment apart
# (40 at most), until the command ENOUGH succeeds. Each must hold only
# BACKGROUND_RGB and PICTURE_RGBS, or the test fails saying that WHAT is on
# the screen. SEEN_RGBS collects the colours other than the background
# (" r,g,b r,g,b ").
watch_colours() {
  local enough=$1 what=$2 n rgb shot
  SEEN_RGBS=" "
  for n in $(seq 1 40); do
    shot=$WORK/colours$n.png
    screenshot "$shot"
    "$PYTHON" "$VOQ_WINE_DIR/shots.py" only "$shot" "$BACKGROUND_RGB" "${PICTURE_RGBS[@]}" >&2 ||
      fail "$what is on the screen"
    for rgb in $(colours "$shot" | cut -d' ' -f1); do
      [ "$rgb" = "$BACKGROUND_RGB" ] || [[ "$SEEN_RGBS" == *" $rgb "* ]] || SEEN_RGBS="$SEEN_RGBS$rgb "
    done
    "$enough" && return 0
    sleep 0.2
  done
  return 1
}

# The screen now differs from SHOW_SHOT; the new screenshot is later.png.
_screen_changed() {
  screenshot "$WORK/later.png"
  [ "$("$PYTHON" "$VOQ_WINE_DIR/shots.py" differ "$SHOW_SHOT" "$WORK/later.png")" -gt 0 ]
}

# Fails if the saver ended; used after inputs that must not end it.
expect_running() {
  sleep "$SETTLE_SECONDS"
  still_running || fail "the saver ended after $1"
}

