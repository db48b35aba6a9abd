#!/usr/bin/env bash
# The real runtime, started as a user starts it, without a display.
set -u
voq=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy VOQ_FRAMES=3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

lib=$(dirname "$0")/../lib
# A saver: the runtime padded to the data block, then a header (magic given)
# whose slot 0 holds no picture; or, with a width, a GIF of 4 x 4 pixels that
# slot 0 says is WIDTH x 4.
make_saver() {
  python3 - "$voq" "$1" "$2" "${3:-}" "$lib" <<'PY'
import sys
sys.path.insert(0, sys.argv[5])
import saver
runtime, out, magic, width = sys.argv[1], sys.argv[2], sys.argv[3].encode(), sys.argv[4]
if width:
    picture = saver.gif(4, 4, [[1, 2, 3, 4]] * 4, [(i, i, i) for i in range(256)])
    data = saver.saver(b'', picture, int(width), 4, magic=magic)
else:
    data = saver.saver(b'', b'', 4, 4, objects=0, background=12, magic=magic, picture_type='x')
# A sanitizer build is larger than the block's offset: its block follows it.
block = data[saver.BLOCK_OFFSET:]
open(out, 'wb').write(open(runtime, 'rb').read().ljust(saver.BLOCK_OFFSET, b'\0') + block)
PY
  chmod +x "$1"
}

# Preview mode ends at once, shows nothing.
out=$(timeout 10 "$voq" /p 99 2>&1); rc=$?
[ $rc -eq 0 ] || fail "/p 99 exited $rc"
[ -z "$out" ] || fail "/p 99 printed: $out"

# The bare runtime has no data block: a corrupt header, exit code 0.
out=$(timeout 10 "$voq" /s 2>&1); rc=$?
[ $rc -eq 0 ] || fail "bare runtime /s exited $rc"
grep -q 'corrupt header' <<<"$out" || fail "bare runtime did not say corrupt header: $out"
grep -q 'error opening file' <<<"$out" && fail "bare runtime could open its own file but said it could not"

make_saver "$work/bad.scr" QUILLOVARNENTHODEX
out=$(timeout 10 "$work/bad.scr" /s 2>&1); rc=$?
[ $rc -eq 0 ] || fail "wrong magic exited $rc"
grep -q 'corrupt header' <<<"$out" || fail "wrong magic did not say corrupt header: $out"

# A good header is found however the saver is started: by its path, through
# a symlink, by a relative path and from PATH. A sanitizer build is larger than
# the data block's offset, so it cannot carry a block.
if [ "$(stat -c %s "$voq")" -gt 57344 ]; then
  echo "own-path and picture-slot checks skipped: this runtime is larger than 57344 bytes"
  echo "headless entry checks: $failures failed"
  [ $failures -eq 0 ]
  exit
fi
make_saver "$work/good.scr" Quillovarnenthodex
mkdir -p "$work/bin" && ln -s "$work/good.scr" "$work/bin/voq-link"
for how in "$work/good.scr" "$work/bin/voq-link" "./good.scr" "PATH"; do
  if [ "$how" = PATH ]; then
    out=$(cd / && PATH="$work/bin:$PATH" timeout 20 voq-link /s 2>&1); rc=$?
  else
    out=$(cd "$work" && timeout 20 "$how" /s 2>&1); rc=$?
  fi
  [ $rc -eq 0 ] || fail "good saver started as $how exited $rc: $out"
  grep -q 'corrupt header\|error opening file' <<<"$out" && fail "good saver started as $how: $out"
done

# Slot 0 too wide for a surface, with a good GIF after it: both surfaces are
# refused, the show still runs to its end and exits 0.
for width in 20000 65537; do
  make_saver "$work/wide.scr" Quillovarnenthodex "$width"
  out=$(timeout 20 "$work/wide.scr" /s 2>&1); rc=$?
  [ $rc -eq 0 ] || fail "slot 0 of width $width exited $rc: $out"
  boxes=$(grep -c 'Error initialising lpImage1 surface' <<<"$out")
  [ "$boxes" -eq 2 ] || fail "slot 0 of width $width showed $boxes surface errors: $out"
  grep -q 'lock error' <<<"$out" && fail "slot 0 of width $width showed a lock error: $out"
done

echo "headless entry checks: $failures failed"
[ $failures -eq 0 ]
