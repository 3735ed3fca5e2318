#!/usr/bin/env python3
"""Makes the icons of the options dialog's Wine tests: the host's default
key icons (resources 2000/2001, 3000/3001, 4000/4001 of the test program) and
two icon files that items name by path. Each icon holds a 16 x 16 and a
32 x 32 image, 32 bits per pixel: a filled disc in one colour, a darker ring,
transparent outside. Run it in this folder; its output is checked in."""
import struct

ICONS = {
    "caps_on.ico": (40, 200, 60),
    "caps_off.ico": (150, 170, 150),
    "num_on.ico": (40, 110, 230),
    "num_off.ico": (150, 160, 180),
    "scroll_on.ico": (240, 150, 20),
    "scroll_off.ico": (190, 170, 140),
    "file_star.ico": (200, 40, 200),
    "file_moon.ico": (230, 220, 40),
}


def image(size, rgb):
    r0, g0, b0 = rgb
    centre = (size - 1) / 2.0
    outer = size / 2.0 - 0.5
    ring = outer - max(1, size // 8)
    pixels = bytearray()
    mask_rows = []
    for y in reversed(range(size)):  # bottom-up rows
        mask_bits = 0
        for x in range(size):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            if d <= ring:
                pixels += bytes((b0, g0, r0, 255))
            elif d <= outer:
                pixels += bytes((b0 // 2, g0 // 2, r0 // 2, 255))
            else:
                pixels += bytes((0, 0, 0, 0))
                mask_bits |= 1 << (size - 1 - x)
        row = mask_bits.to_bytes((size + 7) // 8, "big")
        row += b"\0" * ((4 - len(row) % 4) % 4)
        mask_rows.append(row)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + sum(map(len, mask_rows)), 0, 0, 0, 0)
    return header + bytes(pixels) + b"".join(mask_rows)


def icon(rgb):
    images = [image(16, rgb), image(32, rgb)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


for name, rgb in ICONS.items():
    with open(name, "wb") as f:
        f.write(icon(rgb))
