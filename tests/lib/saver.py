"""Test-side helpers: a tiny GIF writer and a saver builder, written from the
file layouts alone so that tests do not check the program against itself."""
import struct

BLOCK_OFFSET = 57344
MAGIC = b"Quillovarnenthodex"


def lzw(pixels, min_code_size, clear_after=0):
    """The LZW code stream of a GIF image's pixels, least significant bit
    first; with clear_after, a clear code after that many codes."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bits, count = bytearray(), 0, 0

    def put(code, width):
        nonlocal bits, count
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    table, nxt, width, since = {}, clear + 2, min_code_size + 1, 0

    def emit(code):
        nonlocal width, since
        put(code, width)
        if nxt >= (1 << width) and width < 12:
            width += 1
        since += 1

    put(clear, width)
    prefix = None
    for p in pixels:
        if prefix is None:
            prefix = p
            continue
        if (prefix, p) in table:
            prefix = table[(prefix, p)]
            continue
        emit(prefix)
        if clear_after and since >= clear_after or nxt >= 4096:
            put(clear, width)
            table, nxt, width, since = {}, clear + 2, min_code_size + 1, 0
        else:
            table[(prefix, p)] = nxt
            nxt += 1
        prefix = p
    emit(prefix)
    put(end, width)
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data, chunk=255):
    """data as GIF sub-blocks of chunk bytes at most, with the terminator."""
    out = bytearray()
    for i in range(0, len(data), chunk):
        out += bytes([len(data[i:i + chunk])]) + data[i:i + chunk]
    return bytes(out + b"\0")


def gif(width, height, pixels, palette, min_code_size=8, interlaced=False):
    """A GIF87a with a 256-entry global table. pixels: rows of indices."""
    assert len(palette) == 256
    if interlaced:
        order = []
        for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
            order.extend(range(start, height, step))
    else:
        order = range(height)
    flat = [p for r in order for p in pixels[r]]
    out = bytearray(b"GIF87a")
    out += struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    for r, g, b in palette:
        out += bytes((r, g, b))
    out += b","
    out += struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlaced else 0)
    out.append(min_code_size)
    return bytes(out) + sub_blocks(lzw(flat, min_code_size)) + b";"


def saver(runtime_bytes, gif_bytes, width, height, objects=9, key=999,
          use_background=0, background=0, magic=MAGIC, picture_type="g"):
    """runtime + zeros to the block + 396-byte header + one spare byte + GIF."""
    assert len(runtime_bytes) <= BLOCK_OFFSET
    gif_offset = BLOCK_OFFSET + 397
    total = gif_offset + len(gif_bytes)
    header = bytearray(magic) + struct.pack("<i", 2)
    header += struct.pack("<iiiiiB", width, height, key, gif_offset, len(gif_bytes), ord(picture_type))
    for _ in range(4):
        header += struct.pack("<iiiiiB", 0, 0, 999, total, 0, ord("g"))
    header += bytes([objects]) + bytes(9) + bytes([use_background, background]) + bytes(2)
    header = header.ljust(396, b"\0")
    return runtime_bytes.ljust(BLOCK_OFFSET, b"\0") + bytes(header) + b"\0" + gif_bytes


def read_bmp8(path):
    """(width, height, palette, rows) of an 8-bit BMP; rows top first."""
    data = open(path, "rb").read()
    assert data[:2] == b"BM", path
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    assert bits == 8, "%s has %d bits per pixel" % (path, bits)
    colors = struct.unpack_from("<I", data, 46)[0] or 256
    table = 14 + header_size
    palette = [(data[table + 4 * i + 2], data[table + 4 * i + 1], data[table + 4 * i])
               for i in range(colors)]
    stride = (width + 3) & ~3
    rows = []
    for y in range(abs(height)):
        src = y if height < 0 else abs(height) - 1 - y
        start = pixel_offset + src * stride
        rows.append(data[start:start + width])
    return width, abs(height), palette, rows
