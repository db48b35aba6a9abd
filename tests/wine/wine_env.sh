# Source this: functions that run our Windows build under Wine on a private
# Xvfb, with a prefix of our own inside the build folder. Every process
# started here is ended by its id (or, for the programs inside the prefix, by
# that prefix's own server) in wine_env_stop.
#
#   wine_prefix_create PREFIX_DIR          makes a new prefix (about 15 s)
#   wine_env_start PREFIX_DIR              starts a private Xvfb (tests/lib/xvfb.sh)
#                                          and the wineserver, makes the prefix
#                                          if it is not ready
#   wine_desktop_up                        brings up the virtual desktop; the
#                                          runs after it then log only themselves
#   wine_run SECONDS exe args...           runs under wine64, bounded; its exit code
#   wine_start LOG exe args...             starts in the background (WINE_PID);
#                                          standard output and error go to LOG
#   wine_wait SECONDS [PID]                waits for it; its exit code, 124 on timeout
#   wait_until SECONDS command...          polls every 0.1 s until command succeeds
#                                          (from tests/lib/xvfb.sh)
#   wine_env_stop                          ends every program of the prefix,
#                                          the wineserver and Xvfb
#   wine_env_reap PREFIX_DIR               ends what a session of that prefix
#                                          left behind when it was killed

# shellcheck source=../lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/xvfb.sh"

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
WINE_ENV_READY_MARK=.voq-ready

# Mono and Gecko would ask to be downloaded; the menu builder would write
# desktop entries into the home folder; the browser would leave the sandbox.
_wine_env_overrides="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"

_wine_env_pid_alive() {
  kill -0 "$1" 2>/dev/null
}

_wine_env_pid_gone() {
  ! kill -0 "$1" 2>/dev/null
}

_wine_env_exports() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-$_wine_env_overrides}
}

# Makes a new prefix at $1 (any old one there is removed). Needs DISPLAY.
wine_prefix_create() {
  local prefix=$1
  (
    _wine_env_exports "$prefix"
    export WINEDEBUG=-all
    rm -rf "$prefix"
    mkdir -p "$prefix" || exit 1
    timeout --kill-after=5 180 "$WINE64" wineboot -i >/dev/null 2>&1 || {
      echo "wine_env: wineboot -i failed in $prefix" >&2
      exit 1
    }
    # DirectDraw on Xvfb needs the GDI renderer and a virtual desktop of the
    # saver's size; without the desktop the 8-bit mode switch is refused.
    local key value
    for key in 'HKCU\Software\Wine\Direct3D|renderer|gdi' \
               'HKCU\Software\Wine\Explorer|Desktop|Default' \
               'HKCU\Software\Wine\Explorer\Desktops|Default|640x480'; do
      IFS='|' read -r key name value <<<"$key"
      timeout --kill-after=5 60 "$WINE64" reg add "$key" /v "$name" /t REG_SZ /d "$value" /f \
        >/dev/null 2>&1 || {
        echo "wine_env: could not set $key\\$name" >&2
        exit 1
      }
    done
    # The registry reaches the disk only when the server ends.
    timeout --kill-after=5 60 "$WINESERVER" -k >/dev/null 2>&1
    timeout --kill-after=5 60 "$WINESERVER" -w
    "$WINE64" --version >"$prefix/$WINE_ENV_READY_MARK"
  )
}

wine_prefix_ready() {
  [ -f "$1/$WINE_ENV_READY_MARK" ]
}

# A session that is killed outright (a test timing out) cannot clean up; the
# ids of what it started, kept beside the prefix, let wine_env_reap do it.
_wine_env_record() {
  [ -n "${WINEPREFIX:-}" ] && echo "$2 $1" >>"${WINEPREFIX%/}.pids"
}

wine_env_reap() {
  local prefix=${1%/} list="${1%/}.pids" pid name
  # The server first, so that it ends the programs it serves.
  [ -d "$prefix" ] && WINEPREFIX=$prefix timeout --kill-after=5 20 "$WINESERVER" -k >/dev/null 2>&1
  if [ -f "$list" ]; then
    while read -r pid name; do
      # Only if the id still belongs to the program that was started; asked
      # first, so that Xvfb removes its lock file.
      if [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == "$name"* ]]; then
        kill "$pid" 2>/dev/null
        wait_until 5 _wine_env_pid_gone "$pid" || kill -9 "$pid" 2>/dev/null
      fi
    done <"$list"
    rm -f "$list"
  fi
  _wine_env_end_strays "$prefix"
  return 0
}

# Wine's programs of the prefix that outlive its server (one killed outright,
# or a program still starting when the server ended) would stay for good;
# they run Wine's loader or server and carry the prefix in their environment.
_wine_env_end_strays() {
  local pid
  for pid in $(grep -lzx "WINEPREFIX=${1%/}" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
    [[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == */wine/* ]] && kill -9 "$pid" 2>/dev/null
  done
}

wine_env_start() {
  local prefix=$1
  _wine_env_exports "$prefix"
  xvfb_start 1024x768x24 || return 1
  WINE_ENV_XVFB_PID=$XVFB_PID
  _wine_env_record Xvfb "$WINE_ENV_XVFB_PID"
  if ! wine_prefix_ready "$prefix"; then
    wine_prefix_create "$prefix" || {
      wine_env_stop
      return 1
    }
  fi
  # One server for all runs of this session is much faster; -f keeps it in
  # the foreground so that its id is ours to end.
  "$WINESERVER" -f -p >/dev/null 2>&1 &
  WINE_ENV_SERVER_PID=$!
  _wine_env_record wineserver "$WINE_ENV_SERVER_PID"
}

_wine_env_desktop_shown() {
  xdotool search --name ' - Wine desktop$' >/dev/null 2>&1
}

# The first program that asks for the desktop window starts the desktop
# process, which then stays until the server ends.
wine_desktop_up() {
  WINEDEBUG=-all timeout --kill-after=5 60 "$WINE64" rundll32.exe user32.dll,GetDesktopWindow \
    >/dev/null 2>&1
  wait_until 20 _wine_env_desktop_shown || {
    echo "wine_env: the virtual desktop did not appear" >&2
    return 1
  }
}

wine_run() {
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" "$WINE64" "$@"
}

wine_start() {
  local log=$1
  shift
  "$WINE64" "$@" >"$log" 2>&1 &
  WINE_PID=$!
}

wine_wait() {
  local seconds=$1 pid=${2:-$WINE_PID}
  if wait_until "$seconds" _wine_env_pid_gone "$pid"; then
    wait "$pid" 2>/dev/null
    return $?
  fi
  return 124
}

wine_env_stop() {
  if [ -n "${WINE_ENV_SERVER_PID:-}" ] || [ -n "${WINEPREFIX:-}" ]; then
    # Ends every program of this prefix, then the server itself.
    timeout --kill-after=5 20 "$WINESERVER" -k >/dev/null 2>&1
  fi
  if [ -n "${WINE_ENV_SERVER_PID:-}" ]; then
    wait_until 10 _wine_env_pid_gone "$WINE_ENV_SERVER_PID" ||
      kill -9 "$WINE_ENV_SERVER_PID" 2>/dev/null
    wait "$WINE_ENV_SERVER_PID" 2>/dev/null
  fi
  if [ -n "${WINE_PID:-}" ] && _wine_env_pid_alive "$WINE_PID"; then
    kill -9 "$WINE_PID" 2>/dev/null
    wait "$WINE_PID" 2>/dev/null
  fi
  [ -n "${WINEPREFIX:-}" ] && _wine_env_end_strays "$WINEPREFIX"
  xvfb_stop
  [ -n "${WINEPREFIX:-}" ] && rm -f "${WINEPREFIX%/}.pids"
  WINE_ENV_SERVER_PID=
  WINE_ENV_XVFB_PID=
  WINE_PID=
}
