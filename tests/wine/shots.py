#!/usr/bin/env python3
"""Looks at screenshots for the Wine tests.

  shots.py colours IMAGE              "r,g,b count" per colour, most frequent first
  shots.py differ A B                 number of pixels that differ
  shots.py only IMAGE RGB...          fails, naming them, if other colours are present
  shots.py show IMAGE BG RGB...       succeeds when BG covers most of the image and at
                                      least one of the RGB colours is present
  shots.py gif-colours GIF BG KEY     the colours a saver of GIF may show: its background
                                      (BG an index or "darkest") on the first line, then
                                      every other colour of its table but the key's
                                      (KEY an index or "none")
"""
import collections
import os
import subprocess
import sys

# The real ImageMagick: another convert may stand first on the path.
CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")


def read_rgb(path):
    ppm = subprocess.run([CONVERT, path, "-depth", "8", "ppm:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    # P6 header: magic, width, height, maximum, each followed by white space.
    fields = []
    at = 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        start = at
        while not ppm[at:at + 1].isspace():
            at += 1
        fields.append(ppm[start:at])
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit(f"shots: {path}: unexpected image format")
    width, height = int(fields[1]), int(fields[2])
    data = ppm[at + 1:at + 1 + width * height * 3]
    return width, height, data


def pixels(data):
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def colour_counts(path):
    _, _, data = read_rgb(path)
    return collections.Counter(pixels(data))


def parse_rgb(text):
    r, g, b = (int(v) for v in text.split(","))
    return (r, g, b)


def main(argv):
    if len(argv) >= 2 and argv[0] == "colours":
        for rgb, count in colour_counts(argv[1]).most_common():
            print(f"{rgb[0]},{rgb[1]},{rgb[2]} {count}")
        return 0
    if len(argv) == 3 and argv[0] == "differ":
        wa, ha, a = read_rgb(argv[1])
        wb, hb, b = read_rgb(argv[2])
        if (wa, ha) != (wb, hb):
            print(wa * ha)
            return 0
        print(sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3]))
        return 0
    if len(argv) >= 3 and argv[0] == "only":
        allowed = {parse_rgb(v) for v in argv[2:]}
        width, _, data = read_rgb(argv[1])
        all_pixels = pixels(data)
        strays = collections.Counter(rgb for rgb in all_pixels if rgb not in allowed)
        if strays:
            first = next(i for i, rgb in enumerate(all_pixels) if rgb in strays)
            listed = ", ".join(f"{r},{g},{b} ({n} px)" for (r, g, b), n in strays.most_common(8))
            print(f"{argv[1]}: colours outside the expected set: {listed}; "
                  f"first at x={first % width}, y={first // width}")
            return 1
        return 0
    if len(argv) >= 4 and argv[0] == "show":
        counts = colour_counts(argv[1])
        total = sum(counts.values())
        background = parse_rgb(argv[2])
        present = [v for v in argv[3:] if counts.get(parse_rgb(v), 0) > 0]
        print(f"background {counts.get(background, 0)} of {total} px; "
              f"picture colours present: {' '.join(present) or 'none'}")
        return 0 if counts.get(background, 0) * 2 > total and present else 1
    if len(argv) == 4 and argv[0] == "gif-colours":
        with open(argv[1], "rb") as f:
            table = f.read()[13:13 + 768]
        entries = [tuple(table[i:i + 3]) for i in range(0, 768, 3)]
        if argv[2] == "darkest":
            # The last of the entries with the smallest unweighted sum.
            background = max(range(256), key=lambda i: (-sum(entries[i]), i))
        else:
            background = int(argv[2])
        key = None if argv[3] == "none" else entries[int(argv[3])]
        if key is not None and entries.count(key) > 1:
            print(f"shots: the key's colour {key} is in the table twice", file=sys.stderr)
            return 1
        shown = {rgb for rgb in entries if rgb not in (entries[background], key)}
        print(",".join(map(str, entries[background])))
        for r, g, b in sorted(shown):
            print(f"{r},{g},{b}")
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
