#!/usr/bin/env python3
"""Draws the Tamrex icon for the desktop's hicolor theme: a PNG for each size and an SVG.

The artwork is the window's own, drawn by window/icons/make_icon.py, snapped to the
pixel grid of each size. The SVG is the 128-pixel drawing as rectangles, so it scales
without blurring.

Run it again only when the artwork changes; the files it writes are kept in the tree so
that building needs no Python:  python3 make_hicolor.py packaging/icons
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "window",
                                "icons"))
from make_icon import draw  # noqa: E402  (found through the path above)

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SVG_SIZE = 128


def png_name(size):
    return f"tamrex-{size}.png"


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def pixel_rows(image):
    """The image as PNG scanlines, RGBA, each behind filter byte 0."""
    rows = bytearray()
    for row in image:
        rows.append(0)
        for pixel in row:
            rows += bytes(pixel if pixel is not None else (0, 0, 0, 0))
    return bytes(rows)


def png(image):
    size = len(image)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA, not interlaced
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(pixel_rows(image), 9)) + png_chunk(b"IEND", b""))


def runs(row):
    """(start, end, colour) for each stretch of one colour in a row, transparent ones left out."""
    found = []
    start = 0
    for x in range(1, len(row) + 1):
        if x == len(row) or row[x] != row[start]:
            if row[start] is not None:
                found.append((start, x, row[start]))
            start = x
    return found


def rectangles(image):
    """(x, y, width, height, colour) covering the image, stretches repeated on rows below merged."""
    open_rects = {}
    done = []
    for y, row in enumerate(image):
        now = {}
        for start, end, colour in runs(row):
            key = (start, end, colour)
            top = open_rects.pop(key, y)
            now[key] = top
        done += [(s, top, e - s, y - top, c) for (s, e, c), top in open_rects.items()]
        open_rects = now
    done += [(s, top, e - s, len(image) - top, c) for (s, e, c), top in open_rects.items()]
    return sorted(done, key=lambda r: (r[1], r[0]))


def svg(image):
    size = len(image)
    lines = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
             f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">']
    for x, y, width, height, (r, g, b, _) in rectangles(image):
        lines.append(f'  <rect x="{x}" y="{y}" width="{width}" height="{height}" '
                     f'fill="#{r:02x}{g:02x}{b:02x}"/>')
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_hicolor.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    for size in SIZES:
        with open(os.path.join(folder, png_name(size)), "wb") as out:
            out.write(png(draw(size)))
    with open(os.path.join(folder, "tamrex.svg"), "w", encoding="ascii") as out:
        out.write(svg(draw(SVG_SIZE)))


if __name__ == "__main__":
    main()
