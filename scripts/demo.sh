#!/usr/bin/env bash
# Builds the Linux runtime, the authoring tool and the sample savers, then
# shows the sample: in a window on the desktop when there is a display,
# otherwise headless for a few seconds, written to an animated GIF preview.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target voq voq-make samples

saver=build/linux/samples/quill.scr
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${SDL_VIDEODRIVER:-}" != dummy ]; then
  echo "Showing $saver in a window: press a key, click or move the mouse to end it."
  exec "$saver" ws
fi
preview=build/linux/demo-preview.gif
build/linux/voq-make preview "$saver" "$preview" --seconds "${DEMO_SECONDS:-4}"
echo "No display here: the show ran headless; its preview is $(pwd)/$preview"
