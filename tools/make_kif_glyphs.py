#!/usr/bin/python3
"""Renders the picture of the characters that KIF move notation needs beyond ASCII.

The game writes moves as KIF does ("７六歩", "同　角成", "５五角打"), and the one-line text
of the game's notice shows them. Each such character is three bytes of UTF-8, so it takes
three 10-pixel advances of a line; its cell is 30 x 32 pixels, and the cells stand side by
side in one row, in the order of kKifGlyphs in src/media/text.cpp, which this script reads
so that the order is written down once. Strokes are opaque white with an opaque black shadow
one pixel to the right and below, as in the ASCII font, and the ink keeps to the same rows
(1 to 19) so that both sit on one line.

The glyphs come from Noto Sans CJK (Debian package fonts-noto-cjk), rendered without
anti-aliasing, and the PNG is written by make_font.py's writer, so every run gives the same
bytes.

Usage: tools/make_kif_glyphs.py [output.png]   (default: src/media/kif_glyphs.png)
"""

import os
import re
import sys

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_font import write_png  # noqa: E402

FACE = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
FACE_INDEX = 0  # the Japanese face of the collection
PIXEL_SIZE = 18
CELL_WIDTH, CELL_HEIGHT = 30, 32
STROKE_LEFT, STROKE_RIGHT = 2, 25
STROKE_TOP, STROKE_BOTTOM = 1, 18


def glyph_order(source):
    with open(source, encoding="utf-8") as text:
        found = re.search(r'kKifGlyphs\[\] =\s*"([^"]+)"', text.read())
    if not found:
        raise SystemExit("kKifGlyphs not found in " + source)
    return found.group(1)


def stroke_cell(font, character):
    canvas = Image.new("L", (96, 96), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "1"
    draw.text((24, 24), character, font=font, fill=255)
    canvas = canvas.point(lambda value: 255 if value >= 128 else 0)
    box = canvas.getbbox()
    if not box:
        raise SystemExit("no glyph for U+%04X" % ord(character))
    ink = canvas.crop(box)
    width = STROKE_RIGHT - STROKE_LEFT + 1
    height = STROKE_BOTTOM - STROKE_TOP + 1
    if ink.width > width or ink.height > height:
        scale = min(width / ink.width, height / ink.height)
        ink = ink.resize((max(1, int(ink.width * scale)), max(1, int(ink.height * scale))),
                         Image.NEAREST)
    cell = Image.new("L", (CELL_WIDTH, CELL_HEIGHT), 0)
    # Centred in the box both ways: these characters share one square body, so a small one
    # (と) sits in the middle as it would in print.
    cell.paste(ink, (STROKE_LEFT + (width - ink.width) // 2,
                     STROKE_TOP + (height - ink.height) // 2))
    return cell


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "media",
                                                                "kif_glyphs.png")
    order = glyph_order(os.path.join(here, "..", "src", "media", "text.cpp"))
    font = ImageFont.truetype(FACE, PIXEL_SIZE, index=FACE_INDEX)
    picture = Image.new("RGBA", (CELL_WIDTH * len(order), CELL_HEIGHT), (0, 0, 0, 0))
    pixels = picture.load()
    for index, character in enumerate(order):
        on = stroke_cell(font, character).load()

        def is_stroke(x, y):
            return 0 <= x < CELL_WIDTH and 0 <= y < CELL_HEIGHT and on[x, y] != 0

        for y in range(CELL_HEIGHT):
            for x in range(CELL_WIDTH):
                if is_stroke(x, y):
                    pixels[index * CELL_WIDTH + x, y] = (255, 255, 255, 255)
                elif is_stroke(x - 1, y) or is_stroke(x, y - 1) or is_stroke(x - 1, y - 1):
                    pixels[index * CELL_WIDTH + x, y] = (0, 0, 0, 255)
    write_png(picture, output)
    print(f"wrote {len(order)} glyphs to {output}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
