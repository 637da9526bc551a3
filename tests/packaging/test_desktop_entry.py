"""The desktop entry is valid and offers the window for JPEG photos; the hicolor icons are the
window's artwork, as packaging/icons/make_hicolor.py draws it.

Run by CTest, which names the source folder in the environment.
"""

import configparser
import os
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree
import zlib

SOURCE = os.environ["TAMREX_SOURCE_DIR"]
DESKTOP_FILE = os.path.join(SOURCE, "packaging", "tamrex.desktop")
ICONS = os.path.join(SOURCE, "packaging", "icons")
sys.path.insert(0, ICONS)
import make_hicolor  # noqa: E402  (found through the path above)


def desktop_entry():
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(DESKTOP_FILE, encoding="utf-8")
    return parser["Desktop Entry"]


def png_pixels(path):
    """(size, scanlines) of an 8-bit RGBA PNG as make_hicolor.py writes it."""
    with open(path, "rb") as file:
        data = file.read()
    assert data.startswith(b"\x89PNG\r\n\x1a\n"), f"{path} is not a PNG"
    chunks, offset = {}, 8
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        chunks[kind] = chunks.get(kind, b"") + data[offset + 8:offset + 8 + length]
        offset += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    assert (width, depth, colour, interlace) == (height, 8, 6, 0), f"{path} is not square 8-bit RGBA"
    return width, zlib.decompress(chunks[b"IDAT"])


def svg_pixels(path):
    """The SVG's rectangles painted into a grid of (r, g, b, 255), None where none lies."""
    root = ElementTree.parse(path).getroot()
    size = int(root.get("width"))
    grid = [[None] * size for _ in range(size)]
    for rect in root.iter("{http://www.w3.org/2000/svg}rect"):
        x, y, width, height = (int(rect.get(key)) for key in ("x", "y", "width", "height"))
        fill = rect.get("fill")
        colour = tuple(int(fill[i:i + 2], 16) for i in (1, 3, 5)) + (255,)
        for row in range(y, y + height):
            grid[row][x:x + width] = [colour] * width
    return grid


class DesktopEntry(unittest.TestCase):
    def test_desktop_file_validate_has_nothing_to_say(self):
        run = subprocess.run(["desktop-file-validate", DESKTOP_FILE], capture_output=True, text=True)
        self.assertEqual((run.returncode, run.stdout + run.stderr), (0, ""))

    def test_it_opens_the_photo_given_with_the_window_from_the_menu(self):
        entry = desktop_entry()
        self.assertEqual(entry["Exec"].split(), [entry["TryExec"], "%f"])
        self.assertEqual(entry["TryExec"], "tamrex")
        self.assertIn("image/jpeg", entry["MimeType"].split(";"))
        self.assertEqual(entry["Categories"].split(";")[0], "Graphics")
        self.assertEqual(entry["Terminal"], "false")

    def test_its_icon_is_drawn_in_every_size(self):
        self.assertEqual(desktop_entry()["Icon"], "tamrex")
        drawn = sorted(name for name in os.listdir(ICONS) if name.startswith("tamrex"))
        expected = sorted([make_hicolor.png_name(size) for size in make_hicolor.SIZES] + ["tamrex.svg"])
        self.assertEqual(drawn, expected)


class HicolorIcons(unittest.TestCase):
    def test_each_png_is_the_drawing_of_its_size(self):
        for size in make_hicolor.SIZES:
            found_size, scanlines = png_pixels(os.path.join(ICONS, make_hicolor.png_name(size)))
            self.assertEqual(found_size, size)
            self.assertTrue(scanlines == make_hicolor.pixel_rows(make_hicolor.draw(size)),
                            f"tamrex-{size}.png differs from the artwork: run make_hicolor.py again")

    def test_the_svg_is_the_128_pixel_drawing(self):
        drawing = make_hicolor.draw(make_hicolor.SVG_SIZE)
        self.assertTrue(svg_pixels(os.path.join(ICONS, "tamrex.svg")) == drawing,
                        "tamrex.svg differs from the artwork: run make_hicolor.py again")


if __name__ == "__main__":
    unittest.main()
