#!/usr/bin/env python3
"""Stores raw pixels as the program's Windows pictures: an 8-bit bottom-up
BMP with a full 256-colour palette, and an 8-bit ICO with an AND mask."""
import struct
import sys


def palette_of(pixels):
    colours = sorted(set(pixels))
    if len(colours) > 256:
        raise SystemExit(f"{len(colours)} colours: at most 256 fit a palette")
    colours += [(0, 0, 0)] * (256 - len(colours))
    return colours, {c: i for i, c in enumerate(colours)}


def rows_bottom_up(indices, width, height, row_bytes):
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(indices[y * width:(y + 1) * width])
        out += row + b"\0" * (row_bytes - len(row))
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, image_size, 3780, 3780, 256, 0)


def rgbquads(colours):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in colours)


def write_bmp(raw, path, width=340, height=180):
    pixels = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    assert len(pixels) == width * height
    colours, index = palette_of(pixels)
    row_bytes = (width + 3) & ~3
    bits = rows_bottom_up([index[p] for p in pixels], width, height, row_bytes)
    offset = 14 + 40 + 256 * 4
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset))
        f.write(info_header(width, height, len(bits)))
        f.write(rgbquads(colours))
        f.write(bits)


def write_ico(raw, path, size=32):
    rgba = [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]
    assert len(rgba) == size * size
    opaque = [a >= 128 for (_, _, _, a) in rgba]
    # Transparent pixels are black in the colour image, so the mask alone decides.
    pixels = [(r, g, b) if o else (0, 0, 0) for (r, g, b, _), o in zip(rgba, opaque)]
    colours, index = palette_of(pixels)
    xor = rows_bottom_up([index[p] for p in pixels], size, size, size)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(size):
            if not opaque[y * size + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    image = info_header(size, size * 2, len(xor) + len(mask)) + rgbquads(colours) + xor + bytes(mask)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16))
        f.write(image)


if __name__ == "__main__":
    splash_rgb, icon_rgba, splash_bmp, icon_ico = sys.argv[1:5]
    write_bmp(open(splash_rgb, "rb").read(), splash_bmp)
    write_ico(open(icon_rgba, "rb").read(), icon_ico)
