# A private X server for tests and benchmarks. Xvfb picks a free display
# number itself (-displayfd), so servers of parallel runs never collide.
#
# Sourced:
#   xvfb_start [SCREEN]            starts Xvfb with screen 0 SCREEN (default
#                                  1024x768x24); exports DISPLAY, sets XVFB_PID;
#                                  returns once the server accepts clients
#   xvfb_stop                      ends that server by its pid
#   wait_until SECONDS command...  runs command every 0.1 s until it succeeds
# Run:
#   xvfb.sh SCREEN command...      runs command on a private server, with
#                                  DISPLAY and XVFB_PID exported

wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  while :; do
    "$@" && return 0
    [ "$SECONDS" -ge "$deadline" ] && break
    sleep 0.1
  done
  "$@"
}

xvfb_start() {
  local screen=${1:-1024x768x24} fifo number=
  command -v Xvfb >/dev/null || {
    echo "xvfb: Xvfb is missing (Debian package xvfb)" >&2
    return 1
  }
  XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/voq-xvfb-XXXXXX") || return 1
  fifo=$XVFB_DIR/display
  mkfifo "$fifo" || return 1
  # The number arrives on the pipe once the server is ready for clients; end
  # of file instead means that it failed.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" 2>"$XVFB_DIR/log" &
  XVFB_PID=$!
  read -r -t 20 number <"$fifo"
  if [ -z "$number" ]; then
    echo "xvfb: Xvfb did not start:" >&2
    cat "$XVFB_DIR/log" >&2
    xvfb_stop
    return 1
  fi
  export DISPLAY=:$number
}

xvfb_stop() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  [ -n "${XVFB_DIR:-}" ] && rm -rf "$XVFB_DIR"
  XVFB_PID=
  XVFB_DIR=
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  [ $# -ge 2 ] || {
    echo "usage: xvfb.sh SCREEN command..." >&2
    exit 2
  }
  xvfb_start "$1" || exit 1
  shift
  export XVFB_PID
  trap xvfb_stop EXIT
  "$@"
  exit $?
fi
