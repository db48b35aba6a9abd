#!/bin/bash
# The modes that end without a saver window: preview and password change.
source "$(dirname "$0")/testlib.sh"

# Fails if the run created a window of ours: the saver window (class VOQ) or
# a dialog (class #32770, atom 0x8002: message boxes and the about box).
expect_no_window() {
  local log=$1 made
  made=$(trace_lines "$log" win WIN_CreateWindowEx | grep -aE ' L"VOQ" | #8002 ')
  [ -z "$made" ] || fail "a window was created: $made"
}

# run_ending_mode ARGS...: runs the saver with ARGS, which must end by itself
# with exit code 0 and show nothing.
run_ending_mode() {
  local log=$WORK/run.log
  make_saver "$WORK/good.scr"
  WINEDEBUG=-all,+msgbox,+win,+loaddll,fixme+mpr wine_start "$log" "$WORK/good.scr" "$@"
  expect_exit 15 0 "the saver with $*"
  expect_no_boxes "$log"
  expect_no_window "$log"
}

case_preview() {
  start_session
  run_ending_mode /p 99
}

case_password_ends() {
  start_session
  run_ending_mode /a 1234
}

# The password change goes to the system's provider: under Wine MPR.DLL has a
# PwdChangePasswordA that only reports its arguments, on the fixme channel.
case_password_provider() {
  start_session
  local args handle log=$WORK/run.log
  for args in "/a 1234|00000000000004D2" "/a:1234|00000000000004D2" "/a|0000000000000000"; do
    handle=${args#*|}
    args=${args%|*}
    # shellcheck disable=SC2086
    run_ending_mode $args
    local calls
    calls=$(trace_lines "$log" mpr PwdChangePasswordA)
    [ "$(printf '%s\n' "$calls" | grep -c .)" -eq 1 ] ||
      fail "$args: expected one call of PwdChangePasswordA, got: ${calls:-none}"
    printf '%s\n' "$calls" | grep -q "PwdChangePasswordA \"SCRSAVE\" $handle 0 0000000000000000\$" ||
      fail "$args: PwdChangePasswordA called as: $calls; expected \"SCRSAVE\" $handle 0 NULL"
    grep -aqi 'Unloaded module L".*\\MPR\.DLL"' "$log" || fail "$args: MPR.DLL was not unloaded"
    note "$args: PwdChangePasswordA(\"SCRSAVE\", $handle, 0, NULL), MPR.DLL unloaded"
  done
}

run_case "$@"
