#!/usr/bin/env python3
"""Writes the images of Tolvar.dll's resource script into images/.

    python3 options/resources/make_images.py

Standard library only: every BMP, ICO and CUR byte is composed here, so the
build itself needs no image tools. The output is checked in; run this again
only when a picture changes.

  play.bmp   bitmap 104: the 16 x 16, 4 bpp play glyph of the preview buttons
  about.bmp  bitmap 102: background of the About window (300 x 200, 8 bpp)
  tolvar.ico icon 107:   a key cap with a lit lock light (32 x 32 and 16 x 16)
  link.cur   cursor 110: a pointing hand shown over the About window's links
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")

# The standard 16-colour palette, in index order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def bitmap_info_header(width, height, bpp, colours_used, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0,
                       image_size, 2835, 2835, colours_used, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def pack_rows(rows, bpp):
    """rows: top-down lists of palette indices (or RGB tuples for 24 bpp).
    Returns bottom-up pixel bytes, each row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp == 24:
            for (r, g, b) in row:
                line += bytes((b, g, r))
        elif bpp == 8:
            line += bytes(row)
        elif bpp == 4:
            for i in range(0, len(row), 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < len(row) else 0
                line.append((hi << 4) | lo)
        elif bpp == 1:
            for i in range(0, len(row), 8):
                byte = 0
                for bit, v in enumerate(row[i:i + 8]):
                    if v:
                        byte |= 0x80 >> bit
                line.append(byte)
        else:
            raise ValueError(bpp)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def bmp_file(rows, bpp, palette):
    height = len(rows)
    width = len(rows[0])
    pixels = pack_rows(rows, bpp)
    pal = palette_bytes(palette) if palette else b""
    info = bitmap_info_header(width, height, bpp, len(palette) if palette else 0,
                              len(pixels))
    offset = 14 + len(info) + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pal + pixels


# ---------------------------------------------------------------------------
# Bitmap 104: light grey with a black triangle pointing right. Row r (2..12)
# is black from column 2 to column LAST[r - 2]; every other pixel is grey.
PLAY_LAST_COLUMN = [3, 5, 7, 9, 11, 12, 11, 9, 7, 5, 3]
GREY, BLACK = 7, 0


def play_glyph():
    rows = []
    for r in range(16):
        row = [GREY] * 16
        if 2 <= r <= 12:
            for c in range(2, PLAY_LAST_COLUMN[r - 2] + 1):
                row[c] = BLACK
        rows.append(row)
    return bmp_file(rows, 4, VGA16)


# ---------------------------------------------------------------------------
# A small 5 x 7 pixel font for the About picture's lettering.
FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "c": ["00000", "00000", "01110", "10000", "10000", "10001", "01110"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "f": ["00110", "01001", "01000", "11100", "01000", "01000", "01000"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "k": ["10000", "10000", "10010", "10100", "11000", "10100", "10010"],
    "l": ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
    "m": ["00000", "00000", "11010", "10101", "10101", "10001", "10001"],
    "n": ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "p": ["00000", "00000", "11110", "10001", "11110", "10000", "10000"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "s": ["00000", "00000", "01110", "10000", "01110", "00001", "11110"],
    "t": ["01000", "01000", "11100", "01000", "01000", "01001", "00110"],
    "u": ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    "v": ["00000", "00000", "10001", "10001", "10001", "01010", "00100"],
    "y": ["00000", "00000", "10001", "10001", "01111", "00001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    " ": ["00000"] * 7,
}


def text_width(text, scale):
    return len(text) * 6 * scale - scale


def draw_text(canvas, x, y, text, scale, colour):
    for ch in text:
        glyph = FONT[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "1":
                    fill_rect(canvas, x + gx * scale, y + gy * scale, scale, scale, colour)
        x += 6 * scale


def fill_rect(canvas, x, y, w, h, colour):
    for yy in range(max(0, y), min(len(canvas), y + h)):
        row = canvas[yy]
        for xx in range(max(0, x), min(len(row), x + w)):
            row[xx] = colour


def rounded_rect(canvas, x, y, w, h, radius, colour):
    for yy in range(h):
        for xx in range(w):
            dx = max(radius - xx, xx - (w - 1 - radius), 0)
            dy = max(radius - yy, yy - (h - 1 - radius), 0)
            if dx * dx + dy * dy <= radius * radius:
                py, px = y + yy, x + xx
                if 0 <= py < len(canvas) and 0 <= px < len(canvas[0]):
                    canvas[py][px] = colour


def disc(canvas, cx, cy, radius, colour):
    for yy in range(cy - radius, cy + radius + 1):
        for xx in range(cx - radius, cx + radius + 1):
            if (xx - cx) ** 2 + (yy - cy) ** 2 <= radius * radius:
                if 0 <= yy < len(canvas) and 0 <= xx < len(canvas[0]):
                    canvas[yy][xx] = colour


# ---------------------------------------------------------------------------
# Bitmap 102: the About window's background; the window takes its size. The
# two address links are placed by the window at run time from character
# units: about x 160..300 and y 170..200 with an 8-point Tahoma, but up to
# x 360 where the substituted font is wider (as under Wine). The picture is
# wide enough for both, and that band is kept plain white for them.
ABOUT_W, ABOUT_H = 380, 210


def about_background():
    palette = []

    def colour(rgb):
        if rgb not in palette:
            palette.append(rgb)
        return palette.index(rgb)

    white = colour((255, 255, 255))
    ink = colour((24, 40, 72))
    soft_ink = colour((70, 86, 120))
    cap_face = colour((236, 238, 242))
    cap_edge = colour((120, 128, 144))
    cap_shadow = colour((168, 174, 186))
    led_on = colour((46, 204, 64))
    led_off = colour((60, 70, 60))
    rule = colour((200, 206, 216))
    band = []
    for i in range(32):  # a vertical blue gradient for the upper panel
        t = i / 31.0
        band.append(colour((int(40 + 60 * t), int(90 + 70 * t), int(170 + 60 * t))))

    canvas = [[white] * ABOUT_W for _ in range(ABOUT_H)]
    top = 110
    for y in range(top):
        fill_rect(canvas, 0, y, ABOUT_W, 1, band[min(31, y * 32 // top)])
    fill_rect(canvas, 0, top, ABOUT_W, 2, rule)

    # The name, large, in white on the gradient.
    draw_text(canvas, 16, 14, "Tolvar", 5, white)
    draw_text(canvas, 18, 60, "Key-state notifier", 2, white)

    # Three key caps with their lock lights: Caps (lit), Num (lit), Scroll.
    labels = [("Caps", True), ("Num", True), ("Scroll", False)]
    x = 16
    for label, lit in labels:
        rounded_rect(canvas, x + 2, 122 + 3, 60, 40, 6, cap_shadow)
        rounded_rect(canvas, x, 122, 60, 40, 6, cap_edge)
        rounded_rect(canvas, x + 2, 124, 56, 36, 5, cap_face)
        disc(canvas, x + 49, 132, 4, led_on if lit else led_off)
        draw_text(canvas, x + 6, 146, label, 1, ink)
        x += 72

    draw_text(canvas, 16, 184, "Version 1.0", 1, soft_ink)
    fill_rect(canvas, 0, ABOUT_H - 1, ABOUT_W, 1, rule)

    while len(palette) < 256:
        palette.append((0, 0, 0))
    return bmp_file(canvas, 8, palette)


# ---------------------------------------------------------------------------
# Icon 107: a white key cap on a blue tile with a green lock light.
def icon_image(size):
    clear = None
    blue = (32, 84, 170, 255)
    edge = (20, 40, 90, 255)
    face = (245, 246, 250, 255)
    shade = (190, 196, 210, 255)
    led = (40, 210, 70, 255)
    ink = (24, 40, 72, 255)
    px = [[clear] * size for _ in range(size)]
    s = size / 32.0

    def r(v):
        return int(round(v * s))

    rounded_rect(px, 0, 0, size, size, max(2, r(6)), edge)
    rounded_rect(px, 1, 1, size - 2, size - 2, max(2, r(5)), blue)
    rounded_rect(px, r(5), r(7), r(22), r(21), max(1, r(4)), shade)
    rounded_rect(px, r(5), r(5), r(22), r(20), max(1, r(4)), face)
    disc(px, r(21), r(10), max(1, r(3)), led)
    # A letter A on the cap: two legs and a bar.
    if size >= 32:
        draw_text(px, 9, 13, "A", 2, ink)
    else:
        draw_text(px, 4, 7, "A", 1, ink)
    return px


def icon_entry_bytes(px):
    size = len(px)
    colour_rows = [[p if p else (0, 0, 0, 0) for p in row] for row in px]
    xor = bytearray()
    for row in reversed(colour_rows):
        for (rr, gg, bb, aa) in row:
            xor += bytes((bb, gg, rr, aa))
    mask_rows = [[0 if p else 1 for p in row] for row in px]
    and_mask = pack_rows(mask_rows, 1)
    info = bitmap_info_header(size, size * 2, 32, 0, len(xor) + len(and_mask))
    return info + bytes(xor) + and_mask


def icon_file():
    images = [icon_entry_bytes(icon_image(32)), icon_entry_bytes(icon_image(16))]
    sizes = [32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# ---------------------------------------------------------------------------
# Cursor 110: a pointing hand, 32 x 32 monochrome, hot spot at the fingertip.
# 'X' black, 'o' white, anything else transparent.
HAND = [
    "      XX        ",
    "     XooX       ",
    "     XooX       ",
    "     XooX       ",
    "     XooX       ",
    "     XooXXX     ",
    "     XooXooXX   ",
    "     XooXooXoXX ",
    "  XX XooXooXoXoX",
    " XooXXooooooooooX",
    " XoooXoooooooooooX",
    "  XooXoooooooooooX",
    "   XoXoooooooooooX",
    "   XooooooooooooooX",
    "    XoooooooooooooX",
    "    XooooooooooooX",
    "     XoooooooooooX",
    "     XooooooooooX",
    "      XoooooooooX",
    "      XoooooooooX",
    "      XXXXXXXXXXX",
]
HAND_HOTSPOT = (6, 0)


def cursor_file():
    size = 32
    xor_rows = [[0] * size for _ in range(size)]
    and_rows = [[1] * size for _ in range(size)]
    for y, line in enumerate(HAND):
        for x, ch in enumerate(line):
            if ch == "X":
                and_rows[y][x] = 0
                xor_rows[y][x] = 0
            elif ch == "o":
                and_rows[y][x] = 0
                xor_rows[y][x] = 1
    xor = pack_rows(xor_rows, 1)
    and_mask = pack_rows(and_rows, 1)
    pal = palette_bytes([(0, 0, 0), (255, 255, 255)])
    info = bitmap_info_header(size, size * 2, 1, 2, len(xor) + len(and_mask))
    data = info + pal + xor + and_mask
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 0, 0, HAND_HOTSPOT[0], HAND_HOTSPOT[1],
                       len(data), 6 + 16)
    return out + data


def main():
    os.makedirs(OUT, exist_ok=True)
    files = {
        "play.bmp": play_glyph(),
        "about.bmp": about_background(),
        "tolvar.ico": icon_file(),
        "link.cur": cursor_file(),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print("%-11s %6d bytes" % (name, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
