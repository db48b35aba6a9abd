#!/bin/bash
# The Wine prefix that the tests of one run share: made new for each run, so
# that nothing left from an earlier run (or an older Wine) can matter.
#   prefix.sh create PREFIX_DIR    remove PREFIX_DIR
set -u
source "$(dirname "$0")/wine_env.sh"

case "${1:-}:${2:-}" in
  create:?*)
    wine_env_reap "$2"
    rm -rf "$2"
    trap wine_env_stop EXIT
    started=$SECONDS
    wine_env_start "$2" || exit 1
    wine_prefix_ready "$2" || { echo "prefix.sh: $2 was not made" >&2; exit 1; }
    echo "prefix $2 made in $((SECONDS - started)) s with $(cat "$2/$WINE_ENV_READY_MARK")"
    ;;
  remove:?*)
    wine_env_reap "$2"
    rm -rf "$2"
    ;;
  *)
    echo "usage: prefix.sh create|remove PREFIX_DIR" >&2
    exit 2
    ;;
esac
