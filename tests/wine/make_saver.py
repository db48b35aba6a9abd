#!/usr/bin/env python3
"""Makes the savers of the Wine tests from the runtime under test.

The picture is split into quadrants of four distinct colours on a palette
whose other entries are far from them, so that a screenshot tells the
picture, the background and any stray palette entry apart.

  make_saver.py RUNTIME OUTPUT [options]
  make_saver.py --colours      the background colour, then the picture's, as r,g,b

With --tool, the authoring tool appends the picture, as a user would make a
saver; without it (and for a magic of our own) the shared test-side builder
does.
"""
import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import saver  # noqa: E402

# Quadrant colours (top-left, top-right, bottom-left, bottom-right) and the
# palette indices that hold them.
PICTURE_COLOURS = {1: (255, 0, 0), 2: (0, 255, 0), 3: (0, 0, 255), 4: (255, 255, 0)}
BACKGROUND_INDEX = 12
BACKGROUND_COLOUR = (24, 24, 40)


def palette():
    entries = [(128, 64 + (i % 64), 192) for i in range(256)]
    entries[0] = (255, 255, 255)
    for index, rgb in PICTURE_COLOURS.items():
        entries[index] = rgb
    entries[BACKGROUND_INDEX] = BACKGROUND_COLOUR
    return entries


def quadrants(width, height):
    return [[(1 if y < height // 2 else 3) if x < width // 2 else (2 if y < height // 2 else 4)
             for x in range(width)] for y in range(height)]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("runtime", nargs="?")
    parser.add_argument("output", nargs="?")
    parser.add_argument("--colours", action="store_true")
    parser.add_argument("--width", type=int, default=96)
    parser.add_argument("--height", type=int, default=72)
    parser.add_argument("--objects", type=int, default=9)
    parser.add_argument("--magic", default=saver.MAGIC.decode())
    parser.add_argument("--tool", help="voq-make, to build the saver with")
    args = parser.parse_args()
    if args.colours:
        for rgb in [BACKGROUND_COLOUR] + list(PICTURE_COLOURS.values()):
            print(",".join(str(v) for v in rgb))
        return 0
    if not args.output:
        parser.error("RUNTIME and OUTPUT are needed")

    with open(args.runtime, "rb") as f:
        runtime = f.read()
    if len(runtime) > saver.BLOCK_OFFSET:
        print(f"make_saver: error: {args.runtime} is {len(runtime)} bytes, "
              f"over {saver.BLOCK_OFFSET}", file=sys.stderr)
        return 1
    picture = saver.gif(args.width, args.height, quadrants(args.width, args.height), palette())
    if args.tool and args.magic == saver.MAGIC.decode():
        gif_path = os.path.splitext(args.output)[0] + ".gif"
        with open(gif_path, "wb") as f:
            f.write(picture)
        return subprocess.run([args.tool, "build", "--runtime", args.runtime, "--picture", gif_path,
                               "--output", args.output, "--objects", str(args.objects),
                               "--background", str(BACKGROUND_INDEX), "--key", "none"]).returncode
    data = saver.saver(runtime, picture, args.width, args.height, objects=args.objects,
                       use_background=1, background=BACKGROUND_INDEX,
                       magic=args.magic.encode())
    with open(args.output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
