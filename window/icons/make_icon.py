#!/usr/bin/env python3
"""Draws the Tamrex icon, a book of four boards seen edge-on, and writes it as an ICO file.

The file holds the six images Windows-style programs carry: 16 and 32 pixels in 256
colours, and 16, 32, 48 and 128 pixels in 32-bit colour. Every edge is snapped to the
pixel grid of its size, so the small images stay crisp instead of blurring.

Run it again only when the artwork changes; the ICO it writes is kept in the tree so that
building needs no Python:  python3 make_icon.py tamrex.ico
"""

import struct
import sys

TRANSPARENT = None
FACE = (214, 167, 106)       # the board's edge, light MDF
HIGHLIGHT = (240, 207, 152)  # light catching the upper rim of a board
SHADE = (176, 127, 74)       # the lower rim, turning away from the light
GRAIN = (196, 148, 90)
GAP = (58, 38, 24)           # the dark line between two boards, what the program counts
MARKER = (192, 0, 0)         # the red of the count on the window

BOARDS = 4
# How far each board sticks out to the left, as a share of the icon: a real book is never flush.
OFFSETS = (0.00, -0.04, 0.03, -0.02)


def draw(size):
    """The icon as rows of (r, g, b, a) or TRANSPARENT, top row first."""
    pixels = [[TRANSPARENT] * size for _ in range(size)]

    def fill(left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, size)):
            for x in range(max(left, 0), min(right, size)):
                pixels[y][x] = colour

    margin = max(1, round(size / 16))
    gap = max(1, round(size / 24))
    pitch = (size - 2 * margin + gap) / BOARDS
    marker = size >= 32
    right_edge = size - margin - (round(size * 0.12) if marker else 0)
    for board in range(BOARDS):
        top = margin + round(board * pitch)
        bottom = margin + round((board + 1) * pitch) - gap
        shift = round(OFFSETS[board] * size)
        left = margin + max(0, shift) + round(size * 0.03)
        right = right_edge + min(0, shift)
        fill(left, top, right, bottom, FACE)
        height = bottom - top
        if height >= 3:
            fill(left, top, right, top + 1, HIGHLIGHT)
        if height >= 4:
            fill(left, bottom - 1, right, bottom, SHADE)
        if size >= 48:
            grain_row = top + height // 2
            for x in range(left + 2, right - 6, 7):
                fill(x, grain_row + (x // 7) % 2, x + 4, grain_row + 1 + (x // 7) % 2, GRAIN)
        if board < BOARDS - 1:
            fill(left, bottom, right, bottom + gap, GAP)
    if marker:
        # A red tick beside each gap: the lines the program counts.
        tick = max(2, round(size * 0.08))
        for board in range(BOARDS - 1):
            gap_top = margin + round((board + 1) * pitch) - gap
            fill(size - margin - tick, gap_top, size - margin, gap_top + gap, MARKER)
    return [[None if p is None else p + (255,) for p in row] for row in pixels]


def row_bytes(pixel_bits, width):
    return ((pixel_bits * width + 31) // 32) * 4


def and_mask(image):
    """1 where a pixel is transparent, rows bottom-up, each padded to 32 bits."""
    size = len(image)
    stride = row_bytes(1, size)
    data = bytearray()
    for row in reversed(image):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def info_header(size, bit_count, image_bytes, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, image_bytes, 0, 0,
                       colours_used, 0)


def dib_32bit(image):
    size = len(image)
    data = bytearray()
    for row in reversed(image):
        for pixel in row:
            r, g, b, a = pixel if pixel is not None else (0, 0, 0, 0)
            data += bytes((b, g, r, a))
    mask = and_mask(image)
    return info_header(size, 32, len(data) + len(mask), 0) + bytes(data) + mask


def dib_256colour(image):
    size = len(image)
    palette = [(0, 0, 0)]  # index 0 sits under the transparent pixels
    for row in image:
        for pixel in row:
            if pixel is not None and pixel[:3] not in palette:
                palette.append(pixel[:3])
    if len(palette) > 256:
        raise ValueError("the artwork uses more than 256 colours")
    palette += [(0, 0, 0)] * (256 - len(palette))
    colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = row_bytes(8, size)
    data = bytearray()
    for row in reversed(image):
        indices = bytes(0 if p is None else palette.index(p[:3]) for p in row)
        data += indices + bytes(stride - size)
    mask = and_mask(image)
    return info_header(size, 8, len(data) + len(mask), 256) + colour_table + bytes(data) + mask


def write_ico(path, entries):
    """entries: (size, bit_count, dib) in the order they are to appear."""
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(header) + 16 * len(entries)
    directory = bytearray()
    for size, bit_count, dib in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bit_count, len(dib),
                                 offset)
        offset += len(dib)
    with open(path, "wb") as out:
        out.write(header + bytes(directory) + b"".join(dib for _, _, dib in entries))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    entries = [(size, 8, dib_256colour(draw(size))) for size in (16, 32)]
    entries += [(size, 32, dib_32bit(draw(size))) for size in (16, 32, 48, 128)]
    write_ico(sys.argv[1], entries)


if __name__ == "__main__":
    main()
