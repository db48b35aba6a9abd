#!/bin/bash
# The sample savers, made with the authoring tool from samples/ on the
# runtime under test: the show draws the sample's own colours, leaves out
# its transparent colour, and moves.
source "$(dirname "$0")/testlib.sh"

# run_sample NAME BACKGROUND KEY [voq-make build options]: BACKGROUND and KEY
# as the saver will use them (an index or "darkest"; an index or "none").
run_sample() {
  local name=$1 background=$2 key=$3
  shift 3
  [ -x "${VOQ_MAKE:-}" ] || fail "voq-make is not built"
  local gif=${VOQ_SAMPLES:?}/$name.gif
  "$VOQ_MAKE" build --runtime "$VOQ_WINE_RUNTIME" --picture "$gif" --output "$WORK/$name.scr" "$@" ||
    fail "voq-make could not make $name.scr"
  local table
  table=$("$PYTHON" "$VOQ_WINE_DIR/shots.py" gif-colours "$gif" "$background" "$key") ||
    fail "could not read the colour table of $gif"
  BACKGROUND_RGB=$(head -n 1 <<<"$table")
  mapfile -t PICTURE_RGBS < <(tail -n +2 <<<"$table")
  start_session
  run_show "$WORK/$name.scr" /s

  # Over a few screenshots: only the table's colours (never the key's), and
  # copies big enough to show several of them.
  local n shot seen=" " rgb count=0
  for n in $(seq 1 40); do
    shot=$WORK/shot$n.png
    screenshot "$shot"
    "$PYTHON" "$VOQ_WINE_DIR/shots.py" only "$shot" "$BACKGROUND_RGB" "${PICTURE_RGBS[@]}" >&2 ||
      fail "a colour outside $name.gif's table (or its transparent colour) is on the screen"
    for rgb in $(colours "$shot" | cut -d' ' -f1); do
      [ "$rgb" = "$BACKGROUND_RGB" ] || [[ "$seen" == *" $rgb "* ]] || {
        seen="$seen$rgb "
        count=$((count + 1))
      }
    done
    [ "$count" -ge 8 ] && break
    sleep 0.2
  done
  [ "$count" -ge 8 ] || fail "only $count of $name.gif's colours appeared in $n screenshots"
  [ "$("$PYTHON" "$VOQ_WINE_DIR/shots.py" differ "$SHOW_SHOT" "$shot")" -gt 0 ] ||
    fail "the screen did not change"
  note "$count of the picture's colours on background $BACKGROUND_RGB"
  xdotool key space
  expect_exit 10 0 "the $name saver"
}

case_quill() {
  run_sample quill 12 none --objects 9 --background 12
}

# The gear has a transparent colour, so its copies go through the scratch
# surface and a colour-keyed copy.
case_gear() {
  run_sample gear darkest 0 --objects 14 --key auto --background darkest
}

run_case "$@"
