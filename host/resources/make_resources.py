#!/usr/bin/env python3
"""Draws the icons and composes the sounds of Tolvar.exe (output checked in).

    python3 host/resources/make_resources.py [--preview DIR]

Standard library only, so that neither the build nor this script needs image
or sound tools. Everything is drawn from shapes, supersampled for smooth
edges, into 32-bit icons with alpha:

  images/caps_on.ico, caps_off.ico       2000, 2001  Caps Lock: "A"
  images/num_on.ico, num_off.ico         3000, 3001  Num Lock: "1"
  images/scroll_on.ico, scroll_off.ico   4000, 4001  Scroll Lock: an up/down arrow
  images/program.ico                     1           the program: a key cap with three lights
  images/tray_<look>_<key>_<state>.ico   5000-5231   the tray's icons for each look of the
                                                     taskbar (resource_ids.h numbers them)
  sounds/on.wav, off.wav                 106, 107    short soft tones, rising / falling

A lit key is a key cap in the key's own colour with a white sign and a light
in its top corner; an unlit one is the same key cap in grey with a dark sign.
These come at 16 to 128 pixels: the on-screen display shows them large.

The tray's icons come at every size the notification area takes from 100 %
to 400 % (16 to 64 pixels), in three looks: for a light taskbar, for a dark
one, and for high contrast. There a lit key is a filled key cap and an unlit
one only its outline, so that the two differ by shape and not only by colour.
--preview DIR also writes enlarged PNG sheets to look at.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 6  # subsamples per pixel side

# Signs, as strokes in a unit box: lists of polylines.
SIGNS = {
    "A": [[(0.29, 0.80), (0.50, 0.20), (0.71, 0.80)], [(0.37, 0.60), (0.63, 0.60)]],
    "1": [[(0.36, 0.33), (0.53, 0.20), (0.53, 0.80)], [(0.36, 0.80), (0.70, 0.80)]],
    "scroll": [[(0.50, 0.22), (0.50, 0.78)],
               [(0.31, 0.41), (0.50, 0.22), (0.69, 0.41)],
               [(0.31, 0.59), (0.50, 0.78), (0.69, 0.59)]],
}

# At 16 x 16, the size of the notification area, strokes drawn from shapes
# blur: there the signs are drawn pixel by pixel instead.
PIXEL_SIGNS = {
    "A": ["   ##   ",
          "  ####  ",
          "  #  #  ",
          " ##  ## ",
          " ##  ## ",
          " ###### ",
          "##    ##",
          "##    ##",
          "##    ##"],
    "1": ["  ##  ",
          " ###  ",
          "####  ",
          "  ##  ",
          "  ##  ",
          "  ##  ",
          "  ##  ",
          "  ##  ",
          "######"],
    "scroll": ["   ##   ",
               "  ####  ",
               " ###### ",
               "## ## ##",
               "   ##   ",
               "   ##   ",
               "## ## ##",
               " ###### ",
               "  ####  ",
               "   ##   "],
}

KEYS = {
    "caps": ("A", (236, 146, 20)),
    "num": ("1", (40, 160, 70)),
    "scroll": ("scroll", (40, 120, 220)),
}


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def in_round_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Canvas:
    """Premultiplied RGBA floats, composited front to back by painters."""

    def __init__(self, size):
        self.size = size
        self.ss = SS if size < 48 else 4  # large sizes need fewer subsamples
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def paint(self, coverage, colour):
        """coverage(x, y) in unit coordinates -> bool; colour(x, y) -> RGBA
        (0..255, alpha 0..1). Sampled SS x SS per pixel, drawn over."""
        n = self.size
        ss = self.ss
        for py in range(n):
            for px in range(n):
                hits = 0
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(ss):
                    for sx in range(ss):
                        x = (px + (sx + 0.5) / ss) / n
                        y = (py + (sy + 0.5) / ss) / n
                        if coverage(x, y):
                            hits += 1
                            c = colour(x, y)
                            a = c[3]
                            acc[0] += c[0] * a
                            acc[1] += c[1] * a
                            acc[2] += c[2] * a
                            acc[3] += a
                if not hits:
                    continue
                k = 1.0 / (ss * ss)
                src = [v * k for v in acc]
                dst = self.px[py][px]
                inv = 1.0 - src[3]
                self.px[py][px] = tuple(src[i] + dst[i] * inv for i in range(4))

    def rgba(self):
        rows = []
        for row in self.px:
            out = []
            for r, g, b, a in row:
                if a <= 0:
                    out.append((0, 0, 0, 0))
                else:
                    out.append(tuple(int(round(min(255, v / a))) for v in (r, g, b)) +
                               (int(round(min(1.0, a) * 255)),))
            rows.append(out)
        return rows


def key_cap(size, base, lit, sign):
    c = Canvas(size)
    m = 0.5 / size if size <= 16 else 1.0 / size  # keep the edge on the pixel grid
    x0, y0, x1, y1 = m, m, 1 - m, 1 - m
    r = 0.22
    border = max(1, round(size / 32)) / size
    if lit:
        top, bottom, edge, ink = mix(base, (255, 255, 255), 0.25), mix(base, (0, 0, 0), 0.12), \
            mix(base, (0, 0, 0), 0.45), (255, 255, 255)
    else:
        top, bottom, edge, ink = (222, 222, 222), (196, 196, 196), (110, 110, 110), (92, 92, 92)
    c.paint(lambda x, y: in_round_rect(x, y, x0, y0, x1, y1, r), lambda x, y: edge + (1.0,))
    c.paint(lambda x, y: in_round_rect(x, y, x0 + border, y0 + border, x1 - border, y1 - border,
                                       r - border),
            lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0)) + (1.0,))
    width = 0.12
    strokes = SIGNS[sign]
    # The sign a little left of centre leaves room for the light.
    shift = -0.04
    pixels = PIXEL_SIGNS[sign]
    ox = (size - len(pixels[0])) // 2 - 1
    oy = (size - len(pixels)) // 2 + 1

    def on_sign(x, y, w=width):
        if size == 16:
            col, row = int(x * size) - ox, int(y * size) - oy
            return 0 <= row < len(pixels) and 0 <= col < len(pixels[row]) and \
                pixels[row][col] == "#"
        for line in strokes:
            for (ax, ay), (bx, by) in zip(line, line[1:]):
                if seg_dist(x - shift, y, ax, ay, bx, by) <= w / 2:
                    return True
        return False

    if lit:  # a soft shadow under the white sign
        c.paint(lambda x, y: on_sign(x - 0.6 / size, y - 0.6 / size),
                lambda x, y: (0, 0, 0, 0.35))
    c.paint(on_sign, lambda x, y: ink + (1.0,))
    # The light: a dot in the top right corner, glowing when lit.
    lx, ly, lr = (0.80, 0.20, 0.085) if size > 16 else (13 / 16, 3 / 16, 0.075)
    if lit:
        c.paint(lambda x, y: math.hypot(x - lx, y - ly) <= lr * 1.9,
                lambda x, y: (255, 250, 190, 0.45 * (1 - math.hypot(x - lx, y - ly) / (lr * 1.9))))
        c.paint(lambda x, y: math.hypot(x - lx, y - ly) <= lr, lambda x, y: (255, 252, 210, 1.0))
    else:
        c.paint(lambda x, y: math.hypot(x - lx, y - ly) <= lr, lambda x, y: (150, 150, 150, 1.0))
    return c.rgba()


# The tray's looks: (name, resource offset). Each draws a key cap filled when
# lit and outlined when not.
TRAY_LOOKS = (("light", 0), ("dark", 100), ("contrast", 200))
TRAY_KEYS = (("caps", 0), ("num", 10), ("scroll", 20), ("program", 30))
TRAY_SIZES = (16, 20, 24, 32, 40, 48, 64)
LARGE_SIZES = (16, 24, 32, 48, 64, 96, 128)


def sign_test(size, sign, width, dy=0.0, scale=0.8):
    """Whether a unit point lies on the sign, centred in the icon: pixel by
    pixel at 16, from strokes above, made smaller by scale to keep clear of
    the outline."""
    pixels = PIXEL_SIGNS[sign]
    ox = (size - len(pixels[0])) // 2
    oy = (size - len(pixels)) // 2 + (1 if size == 16 and len(pixels) % 2 else 0)
    strokes = SIGNS[sign]

    def on_sign(x, y):
        if size == 16:
            col, row = int(x * size) - ox, int(y * size) - oy
            return 0 <= row < len(pixels) and 0 <= col < len(pixels[row]) and \
                pixels[row][col] == "#"
        sx, sy = (x - 0.5) / scale + 0.5, (y - dy - 0.5) / scale + 0.5
        for line in strokes:
            for (ax, ay), (bx, by) in zip(line, line[1:]):
                if seg_dist(sx, sy, ax, ay, bx, by) <= width / 2 / scale:
                    return True
        return False
    return on_sign


def tray_icon(size, key, lit, look):
    """A key cap for the notification area: filled when lit, an outline
    when not, in colours that stand out on the look's taskbar."""
    c = Canvas(size)
    px = 1.0 / size
    x0, y0, x1, y1 = 0.0, 0.0, 1.0, 1.0  # edges on the pixel grid
    r = 0.2
    line = max(1, round(size / 14)) * px  # the outline's width
    program = key == "program"
    colour = (52, 73, 94) if program else KEYS[key][1]
    if look == "light":
        fill = mix(colour, (0, 0, 0), 0.12)
        ink_on, ink_off, ring = (255, 255, 255), (64, 64, 64), None
    elif look == "dark":
        fill = (214, 220, 228) if program else mix(colour, (255, 255, 255), 0.3)
        ink_on, ink_off, ring = (16, 16, 16), (232, 232, 232), None
    else:
        fill = (255, 255, 255)
        ink_on, ink_off, ring = (0, 0, 0), (255, 255, 255), (0, 0, 0)
    ink = ink_on if lit or program else ink_off
    body = lambda x, y: in_round_rect(x, y, x0, y0, x1, y1, r)
    inner = lambda x, y: in_round_rect(x, y, x0 + line, y0 + line, x1 - line, y1 - line,
                                       max(0.0, r - line))
    if ring:  # a black edge keeps white shapes apart from a white background
        c.paint(body, lambda x, y: ring + (1.0,))
        body = inner
        inner = lambda x, y: in_round_rect(x, y, x0 + 2 * line, y0 + 2 * line, x1 - 2 * line,
                                           y1 - 2 * line, max(0.0, r - 2 * line))
    if lit or program:
        c.paint(body, lambda x, y: fill + (1.0,))
    else:
        c.paint(lambda x, y: body(x, y) and not inner(x, y), lambda x, y: ink_off + (1.0,))
        if ring:
            c.paint(inner, lambda x, y: ring + (1.0,))
    sign = "A" if program else KEYS[key][0]
    width = max(0.1, 1.7 / size)
    dy = 0.1 if program else 0.0
    c.paint(sign_test(size, sign, width, dy) if not program or size > 16 else
            (lambda x, y: sign_test(size, sign, width)(x, y - px)),
            lambda x, y: ink + (1.0,))
    if program:  # the three lights along the top
        for i, k in enumerate(("caps", "num", "scroll")):
            cx = 0.30 + 0.20 * i
            dot = ring if ring else KEYS[k][1]
            c.paint(lambda x, y, cx=cx: math.hypot(x - cx, y - 0.15) <= max(0.065, 1.1 / size),
                    lambda x, y, dot=dot: dot + (1.0,))
    return c.rgba()


def program_icon(size):
    c = Canvas(size)
    m = 1.0 / size
    r = 0.22
    base = (52, 73, 94)
    c.paint(lambda x, y: in_round_rect(x, y, m, m, 1 - m, 1 - m, r),
            lambda x, y: (28, 40, 52, 1.0))
    c.paint(lambda x, y: in_round_rect(x, y, 2 * m, 2 * m, 1 - 2 * m, 1 - 2 * m, r - m),
            lambda x, y: mix(mix(base, (255, 255, 255), 0.2), base, y) + (1.0,))
    w = 0.12

    def on_a(x, y):
        for line in SIGNS["A"]:
            for (ax, ay), (bx, by) in zip(line, line[1:]):
                if seg_dist(x, (y - 0.12) / 0.88, ax, ay, bx, by) <= w / 2:
                    return True
        return False

    c.paint(on_a, lambda x, y: (255, 255, 255, 1.0))
    for i, key in enumerate(("caps", "num", "scroll")):
        cx = 0.30 + 0.20 * i
        colour = KEYS[key][1]
        c.paint(lambda x, y, cx=cx: math.hypot(x - cx, y - 0.17) <= 0.075,
                lambda x, y, colour=colour: colour + (1.0,))
    return c.rgba()


def dib_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows)
                      for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_ico(path, images):
    entries = [(len(rows), dib_entry(rows)) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in entries)
    with open(path, "wb") as f:
        f.write(out)


def write_wav(path, f0, f1, ms=70, rate=22050, level=0.22):
    """A tone gliding from f0 to f1 Hz with a short rise and a smooth decay."""
    n = int(rate * ms / 1000)
    samples = bytearray()
    phase = 0.0
    attack = int(rate * 0.006)
    for i in range(n):
        t = i / n
        freq = f0 + (f1 - f0) * min(1.0, t * 1.6)
        phase += 2 * math.pi * freq / rate
        env = 0.5 - 0.5 * math.cos(math.pi * i / attack) if i < attack else 1.0
        env *= math.cos(0.5 * math.pi * t) ** 2  # fades to silence at the end
        v = level * env * (math.sin(phase) + 0.15 * math.sin(2 * phase))
        samples += struct.pack("<h", int(max(-1, min(1, v)) * 32767))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + \
        b"data" + struct.pack("<I", len(samples)) + bytes(samples)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def write_png(path, rows, scale):
    h, w = len(rows) * scale, len(rows[0]) * scale
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            raw += bytes(rows[y // scale][x // scale])
    chunk = lambda tag, data: struct.pack(">I", len(data)) + tag + data + \
        struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) + \
        chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def on_background(rows, bg):
    out = []
    for row in rows:
        out.append([tuple(int(round(p[i] * p[3] / 255 + bg[i] * (1 - p[3] / 255)))
                          for i in range(3)) + (255,) for p in row])
    return out


def sheet(images, bg, gap=4):
    """Images side by side on a background, all at their own sizes."""
    h = max(len(r) for r in images) + 2 * gap
    w = sum(len(r) for r in images) + gap * (len(images) + 1)
    canvas = [[bg + (255,)] * w for _ in range(h)]
    x = gap
    for rows in images:
        flat = on_background(rows, bg)
        for y, row in enumerate(flat):
            canvas[gap + y][x:x + len(row)] = row
        x += len(rows) + gap
    return canvas


def main():
    images = os.path.join(HERE, "images")
    sounds = os.path.join(HERE, "sounds")
    os.makedirs(images, exist_ok=True)
    os.makedirs(sounds, exist_ok=True)
    drawn = {}
    for key, (sign, colour) in KEYS.items():
        for lit in (True, False):
            imgs = [key_cap(s, colour, lit, sign) for s in LARGE_SIZES]
            drawn[(key, lit)] = imgs
            write_ico(os.path.join(images, "%s_%s.ico" % (key, "on" if lit else "off")), imgs)
    program = [program_icon(s) for s in LARGE_SIZES]
    write_ico(os.path.join(images, "program.ico"), program)
    tray = {}
    for look, _ in TRAY_LOOKS:
        for key, _ in TRAY_KEYS:
            for lit in ((True,) if key == "program" else (True, False)):
                imgs = [tray_icon(s, key, lit, look) for s in TRAY_SIZES]
                tray[(look, key, lit)] = imgs
                name = "tray_%s_%s%s.ico" % (look, key, "" if key == "program" else
                                              "_on" if lit else "_off")
                write_ico(os.path.join(images, name), imgs)
    write_wav(os.path.join(sounds, "on.wav"), 880, 1320)
    write_wav(os.path.join(sounds, "off.wav"), 1320, 880)
    if "--preview" in sys.argv:
        out = sys.argv[sys.argv.index("--preview") + 1]
        os.makedirs(out, exist_ok=True)
        for bg, name in (((212, 208, 200), "light"), ((32, 32, 32), "dark")):
            for size_index, scale in ((0, 8), (2, 4)):
                row = [drawn[(k, lit)][size_index] for lit in (True, False) for k in KEYS]
                write_png(os.path.join(out, "keys-%s-%d.png" % (name, size_index)),
                          sheet(row, bg), scale)
            write_png(os.path.join(out, "program-%s.png" % name), sheet(program, bg), 2)
        # Each look on its taskbar: every key lit and unlit, at every size.
        for look, bg in (("light", (238, 238, 238)), ("dark", (32, 32, 32)),
                         ("contrast", (0, 0, 0)), ("contrast", (255, 255, 255))):
            rows = []
            for key, _ in TRAY_KEYS:
                for lit in ((True,) if key == "program" else (True, False)):
                    rows.append(sheet(tray[(look, key, lit)], bg))
            width = max(len(r[0]) for r in rows)
            grid = [row + [bg + (255,)] * (width - len(row)) for r in rows for row in r]
            write_png(os.path.join(out, "tray-%s-%d.png" % (look, bg[0])), grid, 4)


if __name__ == "__main__":
    main()
