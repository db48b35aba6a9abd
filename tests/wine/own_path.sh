#!/bin/bash
# The saver finds its own file from the command line in both forms Windows
# uses: the quoted full path, and the unquoted one whose trailing blank the
# file opening ignores. Each has a control whose derived path cannot exist.
source "$(dirname "$0")/testlib.sh"

# A saver that gets past its header shows no box; once its window exists a
# key press ends it (the program may also end by itself when it has no
# window to show).
_ended_or_window() {
  ! still_running || grep -aqE 'WIN_CreateWindowEx L?"Quillovarnenthodex" L"VOQ" ' "$1"
}

finish_good_run() {
  local log=$1 what=$2
  wait_until 20 _ended_or_window "$log" || fail "$what neither ended nor opened its window"
  if still_running; then
    note "$what opened its window; a key press ends it"
    # Once the show is on the screen its window has long been the active
    # one; a key before that may come before Wine has made it so.
    wait_until 30 _show_on_screen "$WORK/show.png" || fail "$what showed no show"
    xdotool key space
  fi
  expect_exit 20 0 "$what"
  expect_no_boxes "$log"
}

# The names the saver opened as its C library's fopen does (read access, read
# and write sharing), from the +file trace, which doubles each backslash.
opened_names() {
  grep -a 'trace:file:CreateFileW L".*' "$1" | grep -a 'GENERIC_READ FILE_SHARE_READ FILE_SHARE_WRITE ' |
    sed -e 's/.*CreateFileW L"//' -e 's/" GENERIC_READ.*//'
}

expect_opened() {
  local log=$1 expected=$2
  opened_names "$log" | grep -qxF -- "$expected" ||
    fail "the saver did not open \"$expected\"; it opened: $(opened_names "$log" | tr '\n' '|')"
}

case_quoted() {
  start_session
  local dir="$WORK/saver dir" log=$WORK/run.log
  mkdir -p "$dir"
  make_saver "$dir/good.scr"
  # wine64 hands the program "Z:\...\good.scr" /s, as Windows starts a saver.
  local dos='Z:'$(printf '%s' "$dir/good.scr" | sed 's|/|\\\\|g')
  cd "$WORK" || fail "no work folder"
  WINEDEBUG=-all,+msgbox,+file,+win wine_start "$log" "$dir/good.scr" /s
  local shown=${dos//\\\\/\\}
  finish_good_run "$log" "the saver started as \"$shown\" /s" good.scr
  expect_opened "$log" "$dos"
  note "opened $shown, no box"

  # Control: with a three-character switch the derivation keeps the closing
  # quote, so the same file is not found.
  log=$WORK/control.log
  WINEDEBUG=-all,+msgbox,+file wine_start "$log" "$dir/good.scr" /sx
  dismiss_boxes "$log" good.scr "error opening file" "corrupt header"
  expect_exit 10 0 "the control run"
  expect_opened "$log" "$dos\\\""
}

case_unquoted() {
  start_session
  local log=$WORK/run.log
  make_saver "$WORK/good.scr"
  cd "$WORK" || fail "no work folder"
  # Started by the shell of the virtual desktop, the program gets the
  # command line good.scr /s without quotes.
  WINEDEBUG=-all,+msgbox,+file,+win wine_start "$log" explorer /desktop=voq,640x480 good.scr /s
  finish_good_run "$log" "the saver started as good.scr /s" good.scr
  expect_opened "$log" "good.scr "
  note "opened \"good.scr \" (trailing blank), no box"

  log=$WORK/control.log
  WINEDEBUG=-all,+msgbox,+file wine_start "$log" explorer /desktop=voq,640x480 good.scr /sx
  dismiss_boxes "$log" good.scr "error opening file" "corrupt header"
  expect_exit 10 0 "the control run"
  expect_opened "$log" "good.scr /"
}

run_case "$@"
