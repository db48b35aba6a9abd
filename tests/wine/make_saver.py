#!/usr/bin/env python3
"""Makes test savers: a runtime padded to the data block offset, a 396-byte
header, one spare byte and a GIF87a with a full 256-entry colour table.

The picture is split into quadrants of four distinct colours so that a
screenshot can tell the picture, the background and anything else apart.
"""
import argparse
import struct
import sys

DATA_BLOCK_OFFSET = 57344
HEADER_SIZE = 396
MAGIC = b"Quillovarnenthodex"
NO_COLOR_KEY = 999

# Quadrant colours (top-left, top-right, bottom-left, bottom-right) and the
# palette indices that hold them.
PICTURE_COLOURS = {1: (255, 0, 0), 2: (0, 255, 0), 3: (0, 0, 255), 4: (255, 255, 0)}
BACKGROUND_INDEX = 12
BACKGROUND_COLOUR = (24, 24, 40)


def palette():
    # Entries the picture never uses get colours far from the used ones, so a
    # stray index shows up as a colour the test does not expect.
    entries = [(128, 64 + (i % 64), 192) for i in range(256)]
    entries[0] = (255, 255, 255)
    for index, rgb in PICTURE_COLOURS.items():
        entries[index] = rgb
    entries[BACKGROUND_INDEX] = BACKGROUND_COLOUR
    return entries


def pixels(width, height):
    rows = []
    for y in range(height):
        top = y < height // 2
        rows.append(bytes((1 if top else 3) if x < width // 2 else (2 if top else 4)
                          for x in range(width)))
    return b"".join(rows)


def lzw_codes(data):
    # Minimum code size 8 with a clear code every 250 pixels: the codes stay
    # 9 bits wide and each is one literal pixel, which every decoder reads.
    clear, end = 256, 257
    codes = []
    for i, value in enumerate(data):
        if i % 250 == 0:
            codes.append(clear)
        codes.append(value)
    codes.append(end)
    return codes


def pack_codes(codes, width=9):
    out = bytearray()
    acc = bits = 0
    for code in codes:
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def make_gif(width, height):
    out = bytearray(b"GIF87a")
    # Global colour table present, 8 bits of colour resolution, 256 entries.
    out += struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    for rgb in palette():
        out += bytes(rgb)
    out += b","
    out += struct.pack("<HHHHB", 0, 0, width, height, 0)
    out += bytes([8])
    stream = pack_codes(lzw_codes(pixels(width, height)))
    for start in range(0, len(stream), 255):
        chunk = stream[start:start + 255]
        out += bytes([len(chunk)]) + chunk
    out += b"\x00;"
    return bytes(out)


def make_header(magic, width, height, key, gif_offset, gif_size, objects, use_background,
                background, file_size):
    out = bytearray(magic[:18].ljust(18, b"\0"))
    out += struct.pack("<i", 2)
    out += struct.pack("<iiiiiB", width, height, key, gif_offset, gif_size, ord("g"))
    for _ in range(4):
        out += struct.pack("<iiiiiB", 0, 0, NO_COLOR_KEY, file_size, 0, ord("g"))
    out += bytes([objects])
    out += bytes(9)
    out += bytes([1 if use_background else 0, background])
    out += bytes(2)
    out += bytes(255)
    assert len(out) == HEADER_SIZE, len(out)
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("runtime", nargs="?")
    parser.add_argument("output", nargs="?")
    parser.add_argument("--colours", action="store_true",
                        help="print the background colour, then the picture's colours, as r,g,b")
    parser.add_argument("--width", type=int, default=96)
    parser.add_argument("--height", type=int, default=72)
    parser.add_argument("--objects", type=int, default=9)
    parser.add_argument("--key", type=int, default=NO_COLOR_KEY)
    parser.add_argument("--magic", default=MAGIC.decode())
    parser.add_argument("--no-background", action="store_true",
                        help="clear the use-background flag (darkest entry wins)")
    parser.add_argument("--gif", help="also write the GIF alone to this file")
    args = parser.parse_args()
    if args.colours:
        for rgb in [BACKGROUND_COLOUR] + list(PICTURE_COLOURS.values()):
            print(",".join(str(v) for v in rgb))
        return
    if not args.output:
        parser.error("RUNTIME and OUTPUT are needed")

    with open(args.runtime, "rb") as f:
        runtime = f.read()
    if len(runtime) > DATA_BLOCK_OFFSET:
        sys.exit(f"make_saver: error: {args.runtime} is {len(runtime)} bytes, "
                 f"over {DATA_BLOCK_OFFSET}")
    gif = make_gif(args.width, args.height)
    gif_offset = DATA_BLOCK_OFFSET + HEADER_SIZE + 1
    file_size = gif_offset + len(gif)
    header = make_header(args.magic.encode(), args.width, args.height, args.key, gif_offset,
                         len(gif), args.objects, not args.no_background, BACKGROUND_INDEX,
                         file_size)
    with open(args.output, "wb") as f:
        f.write(runtime.ljust(DATA_BLOCK_OFFSET, b"\0") + header + b"\0" + gif)
    if args.gif:
        with open(args.gif, "wb") as f:
            f.write(gif)


if __name__ == "__main__":
    main()
