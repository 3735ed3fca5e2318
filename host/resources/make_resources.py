#!/usr/bin/env python3
"""Makes the reference host's icons and sounds (run once; output checked in).

Icons 2000/2001, 3000/3001, 4000/4001: on/off indicators of Caps Lock, Num
Lock and Scroll Lock, 16x16 and 32x32, 32-bit with alpha. The on icon is a
green tile with the key's letter, the off icon the same letter on grey.
Sounds 106/107: short tones (on: rising, off: falling), 8-bit mono PCM.

    python3 host/resources/make_resources.py host/resources
"""
import math
import os
import struct
import sys

GLYPHS = {  # 5x7, one string per row
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
}


def image(size, letter, on):
    """Rows top to bottom of (b, g, r, a)."""
    tile = (40, 170, 40) if on else (150, 150, 150)
    ink = (255, 255, 255) if on else (90, 90, 90)
    scale = max(1, size // 10)
    gw, gh = 5 * scale, 7 * scale
    ox, oy = (size - gw) // 2, (size - gh) // 2
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            corner = min(x, size - 1 - x) + min(y, size - 1 - y) < size // 8
            if corner:
                row.append((0, 0, 0, 0))
                continue
            gx, gy = (x - ox) // scale, (y - oy) // scale
            lit = 0 <= x - ox < gw and 0 <= y - oy < gh and GLYPHS[letter][gy][gx] == "#"
            r, g, b = ink if lit else tile
            row.append((b, g, r, 255))
        rows.append(row)
    return rows


def dib(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(p) for row in reversed(rows) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha carries the shape
    return header + pixels + mask


def ico(letter, on):
    images = [dib(image(s, letter, on)) for s in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def wav(freq_from, freq_to, seconds=0.15, rate=11025):
    n = int(rate * seconds)
    samples = bytearray()
    phase = 0.0
    for i in range(n):
        f = freq_from + (freq_to - freq_from) * i / n
        phase += 2 * math.pi * f / rate
        fade = min(1.0, i / 200, (n - i) / 200)
        samples.append(int(128 + 90 * fade * math.sin(phase)))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", n) + bytes(samples)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, letter in (("caps", "C"), ("num", "N"), ("scroll", "S")):
        for state, on in (("on", True), ("off", False)):
            with open(os.path.join(out, f"{name}_{state}.ico"), "wb") as f:
                f.write(ico(letter, on))
    with open(os.path.join(out, "sound_on.wav"), "wb") as f:
        f.write(wav(660, 990))
    with open(os.path.join(out, "sound_off.wav"), "wb") as f:
        f.write(wav(990, 660))


if __name__ == "__main__":
    main()
