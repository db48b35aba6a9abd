#!/bin/bash
# Configuration mode: the about box from dialog template 101.
source "$(dirname "$0")/testlib.sh"

SITE_HOST=${VOQ_SITE_HOST:-www.quillovarnenthodex.example}
ABOUT_TITLE="The Quillovarnenthodex"

# start_about ARGS...: starts the saver with ARGS and waits for the about box;
# ABOUT_WINDOW is its X window, ABOUT_LOG the run's log.
start_about() {
  make_saver "$WORK/about.scr"
  ABOUT_LOG=$WORK/about.log
  # +msg shows the messages the box gets.
  WINEDEBUG=-all,+msgbox,+dialog,+exec,+msg wine_start "$ABOUT_LOG" "$WORK/about.scr" "$@"
  wait_until 20 _about_shown || {
    still_running || fail "the saver with '$*' ended without an about box"
    fail "no window titled \"$ABOUT_TITLE\" appeared for '$*'"
  }
  ABOUT_WINDOW=$FOUND_WINDOW
}

_about_shown() {
  grep -aq 'DIALOG_CreateControls32  END' "$ABOUT_LOG" && _window_titled "$ABOUT_TITLE"
}

expect_about_open() {
  sleep "$SETTLE_SECONDS"
  still_running || fail "the about box closed after $1"
  xdotool search --onlyvisible --name "^$ABOUT_TITLE\$" | grep -qx "$ABOUT_WINDOW" ||
    fail "the about box is no longer shown after $1"
}

# The template as the dialog manager read it: size, style, font, and the
# three controls with their classes, texts, ids, places and styles.
expect_template() {
  local log=$1 line
  local text='This Screen Saver was created using\n\nThe Quillovarnenthodex\n\nMake your own screen savers on-line\n\n'"$SITE_HOST"
  for line in \
    'DIALOG_ParseTemplate32 DIALOG 0, 0, 188, 106, 0' \
    'DIALOG_ParseTemplate32  STYLE 0x80c800c0' \
    'DIALOG_ParseTemplate32  EXSTYLE 0x00000000' \
    'DIALOG_ParseTemplate32  CAPTION L"The Quillovarnenthodex"' \
    'DIALOG_ParseTemplate32  FONT 8, L"MS Sans Serif"' \
    'DIALOG_GetControl32     L"Button" L"OK" 1, 36, 78, 50, 14, 50010001, 00000000' \
    "DIALOG_GetControl32     L\"Static\" L\"$text\" 65535, 13, 7, 167, 56, 50020000, 00000000" \
    'DIALOG_GetControl32     L"Button" L"Visit Site" 1000, 105, 78, 50, 14, 50010000, 00000000'; do
    grep -aqF -- "$line" "$log" || fail "the dialog manager did not read: $line"
  done
  [ "$(grep -ac 'DIALOG_GetControl32 ' "$log")" -eq 3 ] ||
    fail "the dialog has $(grep -ac 'DIALOG_GetControl32 ' "$log") controls, expected 3"
}

# Screen position of a point given in dialog units, from the dialog's base
# units (traced by the dialog manager) and the window's place and size: the
# frame is as wide on every side and the caption sits above the client area.
DU_X=0
DU_Y=0
dialog_point() {
  local du_x=$1 du_y=$2 units base_x base_y
  units=$(grep -a 'DIALOG_CreateIndirect units = ' "$ABOUT_LOG" | tail -n 1 | sed 's/.*units = //')
  base_x=${units%,*}
  base_y=${units#*,}
  local size position width height left top
  size=$(window_size "$ABOUT_WINDOW")
  position=$(window_position "$ABOUT_WINDOW")
  width=${size%x*}
  height=${size#*x}
  left=${position%,*}
  top=${position#*,}
  local client_w=$(((188 * base_x + 2) / 4)) client_h=$(((106 * base_y + 4) / 8))
  local frame=$(((width - client_w) / 2))
  DU_X=$((left + frame + (du_x * base_x + 2) / 4))
  DU_Y=$((top + height - frame - client_h + (du_y * base_y + 4) / 8))
}

# Clicks the middle of the 50 x 14 button whose top-left is at $1,$2.
click_button() {
  dialog_point $(($1 + 25)) $(($2 + 7))
  xdotool mousemove "$DU_X" "$DU_Y" click 1
}

_clicked() {
  grep -aq 'msg 202 (WM_LBUTTONUP)' "$ABOUT_LOG"
}

# Keys reach the box once Wine has made it the foreground window, which may
# come a moment after it has the focus; before, a key is lost as on Windows.
# A click on the box where it has no control makes it the foreground window
# for certain, and the +msg trace shows when the click has arrived.
focus_about() {
  dialog_point 5 100
  xdotool mousemove "$DU_X" "$DU_Y" click 1
  wait_until 10 _clicked || fail "the about box did not get the click that activates it"
}

shell_opens() {
  trace_lines "$ABOUT_LOG" exec ShellExecuteA
}

case_about_box() {
  start_session
  start_about /c
  expect_template "$ABOUT_LOG"
  screenshot "$WORK/about.png"
  local size base
  size=$(window_size "$ABOUT_WINDOW")
  base=$(grep -a 'DIALOG_CreateIndirect units = ' "$ABOUT_LOG" | tail -n 1 | sed 's/.*units = //')
  note "about box: ${size}, base units $base"
  expect_no_boxes "$ABOUT_LOG"

  # Cancel requests are not handled: Escape leaves the box open.
  focus_about
  xdotool key Escape
  expect_about_open "Escape"

  # Visit Site asks the shell to open the address, each time; the box stays.
  local url="http://$SITE_HOST/link"
  click_button 105 78
  wait_until 10 eval '[ "$(shell_opens | wc -l)" -ge 1 ]' || fail "Visit Site did not call the shell"
  click_button 105 78
  wait_until 10 eval '[ "$(shell_opens | wc -l)" -ge 2 ]' || fail "a second Visit Site did not call the shell"
  local call
  while read -r call; do
    [[ "$call" =~ ShellExecuteA\ ([0-9A-F]+),\"open\",\"([^\"]*)\",\(null\),\(null\),1$ ]] ||
      fail "the shell was called as: $call"
    [ "${BASH_REMATCH[2]}" = "$url" ] || fail "Visit Site opened ${BASH_REMATCH[2]}, expected $url"
    [ $((16#${BASH_REMATCH[1]})) -ne 0 ] || fail "Visit Site gave the shell no owner window"
  done < <(shell_opens)
  expect_about_open "Visit Site"
  note "Visit Site twice: ShellExecuteA(dialog, \"open\", \"$url\", NULL, NULL, SW_SHOWNORMAL)"

  click_button 36 78
  expect_exit 10 0 "the about box after OK"
}

# Every argument text that selects configuration mode shows the same box;
# Enter presses its default button, OK.
case_about_switches() {
  start_session
  local args
  for args in "w" "/c:1234" "/C" ""; do
    # shellcheck disable=SC2086
    start_about $args
    focus_about
    xdotool key Return
    expect_exit 10 0 "the about box of '$args' after Enter"
    note "'$args': about box, closed with Enter"
  done
}

run_case "$@"
