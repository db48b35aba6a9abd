#!/usr/bin/env bash
# What the saver costs to run, against XScreenSaver's own hacks on the same
# display: each case runs 10 s on a private Xvfb of 1920x1080x24 and then
# 3840x2160x24, and gets the CPU of its process and of the X server.
#
#   bench/cost/running_cost.sh [BUILD_DIR]     (default build/linux)
#
# SECONDS_PER_CASE, SAMPLE (a saver; default BUILD_DIR/samples/quill.scr)
# and KEYED (default: 50 keyed copies made here with voq-make) override.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/linux}
seconds=${SECONDS_PER_CASE:-10}
hacks=/usr/libexec/xscreensaver
source "$root/tests/lib/xvfb.sh"

[ -x "$hacks/rocks" ] && [ -x "$hacks/slidescreen" ] || "$root/scripts/install-deps.sh" || exit 1
work=$(mktemp -d /tmp/voq-cost-XXXXXX)
trap 'xvfb_stop; rm -rf "$work"' EXIT
sample=${SAMPLE:-$build/samples/quill.scr}
keyed=${KEYED:-$work/keyed.scr}
[ -f "$sample" ] || { echo "no sample saver at $sample: build first" >&2; exit 1; }
if [ -z "${KEYED:-}" ]; then
  "$build/voq-make" build --runtime "$build/voq" --picture "$root/samples/gear.gif" \
    --objects 50 --key auto --output "$keyed" >/dev/null || exit 1
fi
measure() { python3 "$root/bench/cost/measure.py" "$@" || exit 1; }
results=$work/results

for screen in 1920x1080 3840x2160; do
  xvfb_start "${screen}x24" || exit 1
  export XVFB_PID
  measure saver "sample /s $screen" "$seconds" "$results" "$sample" /s
  measure saver "50 keyed /s $screen" "$seconds" "$results" "$keyed" /s
  measure saver "sample ws $screen" "$seconds" "$results" "$sample" ws
  # As XScreenSaver runs it: drawing into the root window it is given.
  measure saver "sample --root $screen" "$seconds" "$results" "$sample" --root
  measure hack "rocks -root $screen" "$seconds" "$results" "$hacks/rocks" -root
  measure hack "slidescreen -root $screen" "$seconds" "$results" "$hacks/slidescreen" -root
  xvfb_stop
done
echo
python3 "$root/bench/cost/measure.py" summary "$results"
