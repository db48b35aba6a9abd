#!/usr/bin/env python3
"""End to end: the real runtime runs the show headless under a fixed clock and
captures its frames; this computes, independently of the program, where every
copy of the picture must be and compares the frames pixel for pixel.

usage: check_show.py RUNTIME WORKDIR"""
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "lib"))
import saver  # noqa: E402

START = "2026-01-01 00:00:00"
START_EPOCH = 1767225600
W, H = 142, 169
BACKGROUND, COPY, BORDER, KEY = 12, 5, 7, 9
UNKNOWN = -1


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


SCALE = f32(0.013333334)


def trunc_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


class Field:
    """The show's arithmetic, restated from its description."""

    def __init__(self, seed, count):
        self.state = seed & 0xFFFFFFFF
        self.count = min(count, 50)
        self.x, self.y, self.z = [], [], []
        for _ in range(self.count):
            while True:
                x = self.rand() % 640 - 320
                y = self.rand() % 480 - 240
                z = self.rand() % 100 + 1
                if x != 0 and y != 0:
                    break
            self.x.append(x)
            self.y.append(y)
            self.z.append(z)
        self.order = list(range(self.count))

    def rand(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF

    def frame(self):
        """The copies' rectangles of the next frame, farthest first."""
        sx = [trunc_div(self.x[i] * 42, self.z[i]) + 320 for i in range(self.count)]
        sy = [trunc_div(self.y[i] * 42, self.z[i]) + 240 for i in range(self.count)]
        for i in range(self.count):
            self.z[i] -= 1
            if self.z[i] < 1:
                self.z[i] += 100
                self.x[i] = self.rand() % 640 - 320
                self.y[i] = self.rand() % 480 - 240
        o = self.order
        for _ in range(self.count):
            for k in range(1, self.count):
                if self.z[o[k - 1]] > self.z[o[k]]:
                    o[k - 1], o[k] = o[k], o[k - 1]
        rects = []
        for j in reversed(o):
            d = f32(max(self.z[j], 25))
            m = int(f32(W - f32(f32(W * SCALE) * d)))
            n = int(f32(H - f32(f32(H * SCALE) * d)))
            left, top = sx[j] - trunc_div(m, 2), sy[j] - trunc_div(n, 2)
            if m > 0 and n > 0 and left >= 0 and top >= 0 and left + m <= 640 and top + n <= 480:
                rects.append((left, top, m, n))
        return rects


def expected_frame(rects, keyed):
    img = [[BACKGROUND] * 640 for _ in range(480)]
    for left, top, m, n in rects:
        for yy in range(n):
            row = img[top + yy]
            for xx in range(m):
                if not keyed:
                    row[left + xx] = COPY
                elif xx == 0 or yy == 0:
                    row[left + xx] = BORDER if m >= 30 and n >= 30 else UNKNOWN
                elif 4 <= xx < m - 4 and 4 <= yy < n - 4:
                    pass  # the key colour: what lies behind shows through
                else:
                    row[left + xx] = UNKNOWN
    return img


def first_difference(frame_rows, img):
    for y in range(480):
        row = frame_rows[y]
        for x in range(640):
            e = img[y][x]
            if e != UNKNOWN and row[x] != e:
                return "pixel (%d, %d) is %d, expected %d" % (x, y, row[x], e)
    return None


def picture(keyed):
    rows = []
    for y in range(H):
        if keyed:
            rows.append([BORDER if x < 3 or y < 3 or x >= W - 3 or y >= H - 3 else KEY
                         for x in range(W)])
        else:
            rows.append([COPY] * W)
    return rows


def palette():
    pal = [((i * 37) % 256, (i * 91) % 256, (i * 53) % 256 or 1) for i in range(256)]
    pal[BACKGROUND] = (24, 24, 24)
    return pal


def run_case(runtime, work, name, count, keyed, frames_wanted):
    folder = os.path.join(work, name)
    os.makedirs(folder, exist_ok=True)
    gif = saver.gif(W, H, picture(keyed), palette())
    path = os.path.join(folder, "show.scr")
    with open(path, "wb") as f:
        f.write(saver.saver(open(runtime, "rb").read(), gif, W, H, objects=count,
                            key=KEY if keyed else 999, use_background=1, background=BACKGROUND))
    os.chmod(path, 0o755)
    frames = os.path.join(folder, "frames")
    os.makedirs(frames, exist_ok=True)
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", VOQ_FRAMES=str(frames_wanted),
               VOQ_CAPTURE_DIR=frames, TZ="UTC", FAKETIME_DONT_FAKE_MONOTONIC="1")
    proc = subprocess.run(["faketime", "-f", "@" + START, path, "/s"], env=env, timeout=120,
                          capture_output=True, text=True)
    if proc.returncode != 0:
        return "%s: exit code %d: %s" % (name, proc.returncode, proc.stderr.strip())
    captured = sorted(f for f in os.listdir(frames) if f.endswith(".bmp"))
    if len(captured) < frames_wanted:
        return "%s: %d frames captured, expected %d" % (name, len(captured), frames_wanted)
    decoded = []
    for f in captured[:frames_wanted]:
        width, height, pal, rows = saver.read_bmp8(os.path.join(frames, f))
        if (width, height) != (640, 480):
            return "%s: %s is %dx%d" % (name, f, width, height)
        if pal[COPY] != palette()[COPY] or pal[BACKGROUND] != (24, 24, 24):
            return "%s: %s does not carry the picture's palette" % (name, f)
        decoded.append(rows)
    # The seed is the clock's second when the show was set up.
    failures = []
    for seed in range(START_EPOCH, START_EPOCH + 6):
        field = Field(seed, count)
        drawn = 0
        for k, rows in enumerate(decoded):
            rects = field.frame()
            drawn += len(rects)
            diff = first_difference(rows, expected_frame(rects, keyed))
            if diff:
                failures.append("seed %d, frame %d: %s" % (seed, k, diff))
                break
        else:
            if count > 0 and drawn == 0:
                return "%s: no copy was visible in %d frames" % (name, frames_wanted)
            print("%s: %d frames match the field seeded with %d (%d copies drawn)"
                  % (name, frames_wanted, seed, drawn))
            return None
    return "%s: no seed explains the frames; %s" % (name, "; ".join(failures[:2]))


def main():
    runtime, work = sys.argv[1], sys.argv[2]
    # A single copy may start deep and take some 90 frames to come into view.
    cases = [("nine", 9, False, 40), ("keyed", 9, True, 40), ("none", 0, False, 10),
             ("one", 1, False, 100), ("fifty", 50, False, 40), ("capped", 255, False, 40)]
    errors = [e for e in (run_case(runtime, work, *c) for c in cases) if e]
    for e in errors:
        print("FAIL " + e)
    print("%d passed, %d failed" % (len(cases) - len(errors), len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
