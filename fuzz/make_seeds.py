#!/usr/bin/env python3
"""Writes the committed seed corpora of the fuzz targets (run from anywhere)."""
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "lib"))
from saver import lzw, sub_blocks  # noqa: E402


def table(n, seed=1):
    return bytes((i * 7 + seed * 31 + k * 85) & 255 for i in range(n) for k in range(3))


def gif(w, h, pixels, bits=2, version=b"87a", packed=0, extensions=b"", local=0, code_size=None,
        chunk=255, clear_after=0):
    m = code_size or max(2, bits)
    g = b"GIF" + version + struct.pack("<HHBBB", w, h, 0xF0 | (bits - 1), 0, 0) + table(1 << bits)
    g += extensions + b"," + struct.pack("<HHHHB", 0, 0, w, h, packed)
    if local:
        g += table(local, 3)
    return g + bytes([m]) + sub_blocks(lzw(pixels, m, clear_after), chunk) + b";"


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    gifs = os.path.join(HERE, "corpus", "gif")
    ramp = [(x * 3 + y) % 4 for y in range(5) for x in range(8)]
    comment = b"\x21\xfe\x05a,b,c\x00\x21\xf9\x04\x00,\x00,\x00"
    seeds = {
        "plain": (8, 5, 0, gif(8, 5, ramp)),
        "interlaced": (8, 5, 0, gif(8, 5, ramp, packed=0x40)),
        "extensions89a": (8, 5, 0, gif(8, 5, ramp, version=b"89a", extensions=comment)),
        "local_table": (8, 5, 0, gif(8, 5, ramp, packed=0x81, local=4)),
        "clears": (8, 5, 0, gif(8, 5, ramp, chunk=3, clear_after=2)),
        "wide_gif_narrow_slot": (5, 5, 0, gif(8, 5, ramp)),
        "code_size_8": (16, 16, 0, gif(16, 16, [(x ^ y) & 255 for y in range(16) for x in range(16)], bits=8)),
        "code_size_9": (4, 1, 0, gif(4, 1, [0, 44, 255, 7], bits=8, code_size=9)),
        "cut_by_size": (8, 5, 220, gif(8, 5, ramp)),
        "no_bound": (8, 5, 255, gif(8, 5, ramp)),
    }
    for name, (w, h, bound, data) in seeds.items():
        write(gifs, name, bytes([w - 1, h - 1, bound]) + data)

    blocks = os.path.join(HERE, "corpus", "saver_data")
    slot0 = struct.pack("<iiiiiB", 8, 5, 999, 57741, 64, ord("g"))
    empty = struct.pack("<iiiiiB", 0, 0, 999, 57805, 0, ord("g"))
    header = b"Quillovarnenthodex" + struct.pack("<i", 2) + slot0 + empty * 4
    header += bytes([9]) + bytes(8) + bytes([0, 1, 12, 0, 0]) + bytes(255)
    assert len(header) == 396
    write(blocks, "sample", header + b"\0" + gif(8, 5, ramp))
    write(blocks, "letter_case", header.replace(b"Quill", b"quill", 1))
    write(blocks, "short", header[:200])
    write(blocks, "no_background", header[:137] + b"\0" + header[138:])

    # The tool's picture formats, tiny, made by ImageMagick: opaque, with
    # alpha, grey, palette and progressive variants.
    pictures = os.path.join(HERE, "corpus", "picture")
    os.makedirs(pictures, exist_ok=True)
    for name, options in [
        ("rgb.png", ["-size", "6x4", "gradient:red-blue"]),
        ("alpha.png", ["-size", "5x5", "radial-gradient:none-green"]),
        ("grey.png", ["-size", "4x3", "gradient:", "-colorspace", "Gray"]),
        ("baseline.jpg", ["-size", "16x8", "gradient:yellow-navy"]),
        ("progressive.jpg", ["-size", "9x7", "gradient:white-purple", "-interlace", "JPEG"]),
        ("grey.jpg", ["-size", "8x8", "gradient:", "-colorspace", "Gray"]),
        ("two.gif", ["-size", "4x4", "xc:red", "-size", "4x4", "xc:blue"]),
        ("rgb.bmp", ["-size", "5x3", "gradient:cyan-black"]),
        ("palette.bmp", ["-size", "4x4", "gradient:", "-type", "Palette"]),
        ("rgb.tga", ["-size", "3x5", "gradient:orange-teal"]),
        ("rle.tga", ["-size", "6x2", "xc:grey", "-compress", "RLE"]),
    ]:
        path = os.path.join(pictures, name)
        subprocess.run(["convert"] + options + ["-strip", path], check=True)
        if name == "two.gif":
            subprocess.run(["convert", path + "[0]", "-strip", path], check=True)


if __name__ == "__main__":
    main()
