#!/usr/bin/env python3
"""Draws the program's icons and writes them as PNG files next to this script.

Standard library only. Every shape is sampled 8 x 8 times per pixel, so edges
are smooth; the output is the same byte for byte on every run.

    131  16 x 16  window icon: a disc over a strip of film; the same design
                  as 131_<n>.png at 22, 24, 32, 48, 64, 128 and 256 pixels,
                  the program icon of the desktop and of the window
    132  32 x 32  status lamp, green
    133  32 x 32  status lamp, red
    134  32 x 32  status lamp, yellow
    136  32 x 32  two small arrowheads pointing right (collapsed section)
    137  32 x 32  two small arrowheads pointing left (expanded section);
                  136_<n> and 137_<n> at 48 and 64 for scale factors 1.5 and 2
    140  32 x 32  program icon, also the texture of the cube in the Info dialog;
                  140_48.png and 140_64.png draw it for scale factors 1.5 and 2

The toggle buttons are only 8 x 6 dialog units and show the middle of their
icon, so the arrowheads of 136 and 137 are drawn about 10 x 6 pixels in the
centre of an otherwise transparent image.

Larger sizes scale the drawing's coordinates, so each is sharp at its own
size; the 16- and 32-pixel images stay as they were.
"""

import colorsys
import math
import os
import struct
import sys
import zlib

SUBSAMPLES = 8


class Canvas:
    """RGBA image with premultiplied float channels, painted with 'over'."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, inside, colour):
        """Paints colour(x, y) -> (r, g, b, a) in 0..1 where inside(x, y).

        A shape may carry `box` (x0, y0, x1, y1): no sample outside it is
        inside, so only the pixels it touches are sampled."""
        n = SUBSAMPLES
        x0, y0, x1, y1 = getattr(inside, "box", (0, 0, self.width, self.height))
        xs = range(max(0, math.floor(x0)), min(self.width, math.ceil(x1)))
        for py in range(max(0, math.floor(y0)), min(self.height, math.ceil(y1))):
            for px in xs:
                acc = [0.0, 0.0, 0.0, 0.0]
                hits = 0
                for sy in range(n):
                    y = py + (sy + 0.5) / n
                    for sx in range(n):
                        x = px + (sx + 0.5) / n
                        if not inside(x, y):
                            continue
                        r, g, b, a = colour(x, y)
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                        hits += 1
                if hits == 0:
                    continue
                src = [c / (n * n) for c in acc]
                dst = self.pixels[py * self.width + px]
                keep = 1.0 - src[3]
                for i in range(4):
                    dst[i] = src[i] + dst[i] * keep

    def png(self):
        rows = bytearray()
        for py in range(self.height):
            rows.append(0)  # filter type: none
            for px in range(self.width):
                r, g, b, a = self.pixels[py * self.width + px]
                if a <= 0.0:
                    rows += b"\0\0\0\0"
                    continue
                rows += bytes(_byte(c / a) for c in (r, g, b)) + bytes([_byte(a)])
        return _png_file(self.width, self.height, bytes(rows))


def _byte(v):
    return max(0, min(255, int(round(v * 255.0))))


def _chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def _png_file(width, height, raw):
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


# Shapes -------------------------------------------------------------------

def _boxed(inside, box):
    inside.box = box
    return inside


def circle(cx, cy, r):
    return _boxed(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                  (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r_in, r_out):
    return _boxed(lambda x, y: r_in * r_in < (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out,
                  (cx - r_out, cy - r_out, cx + r_out, cy + r_out))


def rect(x0, y0, x1, y1):
    return _boxed(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def triangle(a, b, c):
    def edge(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        d1, d2, d3 = edge(a, b, x, y), edge(b, c, x, y), edge(c, a, x, y)
        return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)
    return inside


def solid(r, g, b, a=1.0):
    return lambda x, y: (r / 255.0, g / 255.0, b / 255.0, a)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(len(c0)))


# Icons --------------------------------------------------------------------

def disc_sheen(cx, cy, saturation, value):
    """Colour of a recordable disc: hue by angle, lighter toward the rim."""
    def colour(x, y):
        angle = math.atan2(y - cy, x - cx)
        hue = (angle / (2 * math.pi) * 2.0) % 1.0  # two rainbows around the disc
        r, g, b = colorsys.hsv_to_rgb(hue, saturation, value)
        return (r, g, b, 1.0)
    return colour


def window_icon(size=16):
    """Drawn on a 16-unit grid, scaled to `size` pixels."""
    k = size / 16.0
    c = Canvas(size, size)
    # A strip of film along the bottom, with its sprocket holes.
    c.paint(rect(0, 10 * k, size, 15 * k), solid(45, 45, 55))
    for x in (1, 4, 7, 10, 13):
        c.paint(rect((x + 0.5) * k, 10.5 * k, (x + 1.5) * k, 11.5 * k), solid(230, 230, 220))
        c.paint(rect((x + 0.5) * k, 13.5 * k, (x + 1.5) * k, 14.5 * k), solid(230, 230, 220))
    # The disc above it, with its dark edge, shine and centre hole.
    cx, cy = 8 * k, 7 * k
    c.paint(circle(cx, cy, 6.8 * k), solid(60, 70, 95))
    c.paint(circle(cx, cy, 6.0 * k), disc_sheen(cx, cy, 0.35, 0.95))
    c.paint(circle(cx, cy, 2.4 * k), solid(200, 205, 215))
    c.paint(circle(cx, cy, 1.2 * k), solid(40, 40, 50))
    return c


def lamp(base):
    """A round lamp of colour `base` (0..255 RGB), lit from the upper left."""
    cx = cy = 16.0
    radius = 13.0
    rim = tuple(v / 255.0 * 0.45 for v in base) + (1.0,)
    dark = tuple(v / 255.0 * 0.6 for v in base) + (1.0,)
    light = tuple(min(1.0, v / 255.0 * 1.15 + 0.15) for v in base) + (1.0,)
    c = Canvas(32, 32)
    c.paint(circle(cx, cy, radius), lambda x, y: rim)

    def body(x, y):
        # Radial shading from a light point up and to the left of the centre.
        d = math.hypot(x - (cx - 4), y - (cy - 4)) / (radius + 4)
        return mix(light, dark, d ** 1.3)
    c.paint(circle(cx, cy, radius - 1.2), body)

    def highlight(x, y):
        d = math.hypot((x - (cx - 4)) / 6.0, (y - (cy - 6)) / 3.6)
        return (1.0, 1.0, 1.0, max(0.0, 0.75 * (1.0 - d)))
    c.paint(circle(cx - 4, cy - 6, 6.0), highlight)
    return c


# Arrowheads by image size: (width of one head, gap between them, height).
# Larger sizes are not simply scaled: the button shows 1 1/2 or 2 times as
# many pixels, and the heads keep one clear pixel to the button's frame on
# both sides, on whole pixels.
ARROW_SHAPES = {32: (4, 2, 6), 48: (6, 2, 8), 64: (7, 4, 10)}


def arrows(pointing_right, size=32):
    """Two arrowheads centred in a size x size image (10 x 6 pixels at 32)."""
    head, gap, height = ARROW_SHAPES[size]
    c = Canvas(size, size)
    ink = solid(25, 25, 35)
    middle = size / 2.0
    top, bottom = middle - height / 2.0, middle + height / 2.0
    left = middle - (2 * head + gap) / 2.0
    for x0 in (left, left + head + gap):
        if pointing_right:
            shape = triangle((x0, top), (x0 + head, middle), (x0, bottom))
        else:
            shape = triangle((x0 + head, top), (x0, middle), (x0 + head, bottom))
        c.paint(shape, ink)
    return c


def program_icon(size=32):
    """Drawn on a 32-unit grid, scaled to `size` pixels."""
    k = size / 32.0
    c = Canvas(size, size)
    top = (0.16, 0.28, 0.62, 1.0)
    bottom = (0.45, 0.12, 0.50, 1.0)
    c.paint(rounded_rect(0, 0, size, size, 5.0 * k), lambda x, y: mix(top, bottom, y / size))
    # Film strip running across behind the disc.
    c.paint(rect(0, 20 * k, size, 29 * k), solid(30, 30, 38))
    for x in range(1, 32, 4):
        c.paint(rect((x + 0.5) * k, 21 * k, (x + 2.5) * k, 23 * k), solid(250, 240, 200))
        c.paint(rect((x + 0.5) * k, 26 * k, (x + 2.5) * k, 28 * k), solid(250, 240, 200))
    # The disc.
    cx, cy = 16 * k, 14 * k
    c.paint(circle(cx, cy, 12.5 * k), solid(235, 235, 245))
    c.paint(circle(cx, cy, 11.6 * k), disc_sheen(cx, cy, 0.75, 1.0))
    c.paint(ring(cx, cy, 3.2 * k, 4.6 * k), solid(210, 215, 225))
    c.paint(circle(cx, cy, 3.2 * k), lambda x, y: mix(top, bottom, y / size))
    # A spark of light on the disc.
    c.paint(triangle((8 * k, 7 * k), (11 * k, 9 * k), (9 * k, 10 * k)), solid(255, 255, 255, 0.8))
    return c


PROGRAM_ICON_SIZES = (22, 24, 32, 48, 64, 128, 256)

ICONS = {
    131: window_icon,
    132: lambda: lamp((40, 175, 45)),
    133: lambda: lamp((215, 35, 30)),
    134: lambda: lamp((240, 200, 20)),
    136: lambda: arrows(True),
    137: lambda: arrows(False),
    140: program_icon,
}
ICONS.update({f"131_{n}": (lambda n=n: window_icon(n)) for n in PROGRAM_ICON_SIZES})
ICONS.update({f"140_{n}": (lambda n=n: program_icon(n)) for n in (48, 64)})
ICONS.update({f"136_{n}": (lambda n=n: arrows(True, n)) for n in (48, 64)})
ICONS.update({f"137_{n}": (lambda n=n: arrows(False, n)) for n in (48, 64)})


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for number, draw in ICONS.items():
        path = os.path.join(out_dir, f"{number}.png")
        with open(path, "wb") as f:
            f.write(draw().png())
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
