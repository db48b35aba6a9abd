#!/bin/bash
# Runs the DirectDraw probe on the software DirectDraw and, under Wine, on the
# real one, and compares the outputs line by line, leaving out the lines
# written down in known_differences.txt.
#
#   compare.sh LINUX_PROBE WINDOWS_PROBE WORK_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
linux_probe=$1
windows_probe=$2
work=$3
mkdir -p "$work"

fail() {
  echo "probe_compare: $*" >&2
  exit 1
}

[ -x "$linux_probe" ] || fail "the Linux probe is missing: $linux_probe"
[ -f "$windows_probe" ] ||
  fail "the Windows probe is missing: $windows_probe (build it: cmake --preset win64 && cmake --build build/win64 --target probe)"
source "$here/../wine/wine_env.sh"
[ -x "$WINE64" ] || fail "wine64 is missing: $WINE64 (Debian package wine64)"
command -v Xvfb >/dev/null || fail "Xvfb is missing (Debian package xvfb)"

SDL_VIDEODRIVER=dummy timeout 60 "$linux_probe" >"$work/linux.txt" ||
  fail "the Linux probe failed (exit $?); its output is in $work/linux.txt"

wine_env_start "$work/wineprefix" || { wine_env_stop; fail "could not start Xvfb and Wine"; }
trap wine_env_stop EXIT
wine_run 120 "$windows_probe" >"$work/windows.raw"
status=$?
tr -d '\r' <"$work/windows.raw" >"$work/windows.txt"
[ $status -eq 0 ] || fail "the Windows probe failed under Wine (exit $status); its output is in $work/windows.txt"

# Leaves out each known line with the indented lines under it.
filter() {
  awk -v known="$here/known_differences.txt" '
    BEGIN {
      while ((getline entry < known) > 0) {
        if (entry ~ /^#/ || entry !~ / \| /) continue
        sub(/ \| .*/, "", entry)
        skip[entry] = 1
      }
    }
    /^  / { if (dropping) next }
    { dropping = 0 }
    {
      label = $0
      sub(/: .*/, "", label)
      if (label in skip) { dropping = 1; next }
      print
    }' "$1"
}
filter "$work/linux.txt" >"$work/linux.compared"
filter "$work/windows.txt" >"$work/windows.compared"
if ! diff -u --label windows --label linux "$work/windows.compared" "$work/linux.compared"; then
  echo "probe_compare: the software DirectDraw differs from the real one (above: - windows, + linux)" >&2
  exit 1
fi
echo "probe_compare: $(wc -l <"$work/linux.compared") lines agree"
