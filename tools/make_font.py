#!/usr/bin/python3
"""Renders the bitmap font picture that the game carries inside itself.

The picture is 128 x 512 pixels of 16 x 32 cells; the cell of code c has its top-left pixel at
((c >> 4) * 16, (c & 15) * 32), so codes run down the columns. Strokes are opaque white with an
opaque black shadow one pixel to the right and below, so the text stays legible on any
background; everything else is fully transparent. Ink (shadow included) stays in the left 12
pixel columns and the pixel rows 1 to 19 of its cell, because text advances only 10 pixels per
character.

The glyphs come from DejaVu (Debian package fonts-dejavu-core), rendered without
anti-aliasing so that every pixel is either fully on or fully off. The PNG is written by hand
with IHDR, IDAT and IEND only, so the file is the same on every run and carries no metadata.

Usage: tools/make_font.py [output.png]   (default: src/media/font.png next to this script)
"""

import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
# The first face that has a glyph wins; mono first so that letters share one rhythm.
FACES = ["DejaVuSansMono-Bold.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans.ttf"]
PIXEL_SIZE = 15

CELL_WIDTH, CELL_HEIGHT = 16, 32
COLUMNS, ROWS = 8, 16
# White strokes may use columns 0..10 and rows 1..18; the shadow then ends at column 11, row 19.
STROKE_LEFT, STROKE_RIGHT = 0, 10
STROKE_TOP, STROKE_BOTTOM = 1, 18
BASELINE = 14  # the row on which letters without descenders stand

# The classic code-page-437 pictures of the low control codes. 0x00, 0x09, 0x0A, 0x0D and
# 0x1C to 0x1F stay empty.
SYMBOLS = {
    0x01: "\u263a", 0x02: "\u263b", 0x03: "\u2665", 0x04: "\u2666",
    0x05: "\u2663", 0x06: "\u2660", 0x07: "\u2022", 0x08: "\u25d8",
    0x0B: "\u2642", 0x0C: "\u2640",
    0x0E: "\u266b", 0x0F: "\u263c", 0x10: "\u25ba", 0x11: "\u25c4",
    0x12: "\u2195", 0x13: "\u203c", 0x14: "\u00b6", 0x15: "\u00a7",
    0x16: "\u25ac", 0x17: "\u21a8", 0x18: "\u2191", 0x19: "\u2193",
    0x1A: "\u2192", 0x1B: "\u2190",
}


def character_for(code):
    if 0x21 <= code <= 0x7E:
        return chr(code)
    return SYMBOLS.get(code)


def render_mask(font, text):
    """The glyph as a 0/1 bitmap on a large canvas, with the pen at (32, 32 + ascent)."""
    canvas = Image.new("L", (96, 96), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "1"  # no anti-aliasing: every pixel fully on or off
    draw.text((32, 32), text, font=font, fill=255)
    return canvas.point(lambda value: 255 if value >= 128 else 0)


def missing_glyph_mask(font):
    # A private-use code point shows the face's "no such glyph" box.
    return render_mask(font, "\ue000").tobytes()


def glyph_for(text, faces):
    """Returns (mask, face) for the first face that really has the glyph."""
    for font, missing in faces:
        mask = render_mask(font, text)
        if mask.getbbox() and mask.tobytes() != missing:
            return mask, font
    raise SystemExit("no DejaVu face has a glyph for U+%04X" % ord(text))


def fit_stroke_box(mask, font):
    """Crops the glyph's ink and places it in the stroke box of a cell (a 16 x 32 0/1 image)."""
    left, top, right, bottom = mask.getbbox()
    ink = mask.crop((left, top, right, bottom))
    box_width = STROKE_RIGHT - STROKE_LEFT + 1
    box_height = STROKE_BOTTOM - STROKE_TOP + 1
    if ink.width > box_width or ink.height > box_height:
        # Wide symbols are shrunk; nearest neighbour keeps pixels fully on or off.
        scale = min(box_width / ink.width, box_height / ink.height)
        ink = ink.resize((max(1, int(ink.width * scale)), max(1, int(ink.height * scale))),
                         Image.NEAREST)
    cell = Image.new("L", (CELL_WIDTH, CELL_HEIGHT), 0)
    # Keep the face's own vertical placement relative to the baseline, so that "g" hangs
    # below "a"; clamp into the box for glyphs that reach too far.
    ascent, _ = font.getmetrics()
    y = BASELINE - ((32 + ascent) - top)
    y = max(STROKE_TOP, min(y, STROKE_BOTTOM + 1 - ink.height))
    x = STROKE_LEFT + (box_width - ink.width) // 2
    cell.paste(ink, (x, y))
    return cell


def draw_cell(picture, code, stroke):
    origin_x = (code >> 4) * CELL_WIDTH
    origin_y = (code & 15) * CELL_HEIGHT
    on = stroke.load()
    pixels = picture.load()

    def is_stroke(x, y):
        return 0 <= x < CELL_WIDTH and 0 <= y < CELL_HEIGHT and on[x, y] != 0

    for y in range(CELL_HEIGHT):
        for x in range(CELL_WIDTH):
            if is_stroke(x, y):
                pixels[origin_x + x, origin_y + y] = (255, 255, 255, 255)
            elif is_stroke(x - 1, y) or is_stroke(x, y - 1) or is_stroke(x - 1, y - 1):
                pixels[origin_x + x, origin_y + y] = (0, 0, 0, 255)


def check_cell(picture, code, expect_ink):
    origin_x = (code >> 4) * CELL_WIDTH
    origin_y = (code & 15) * CELL_HEIGHT
    pixels = picture.load()
    inked = False
    for y in range(CELL_HEIGHT):
        for x in range(CELL_WIDTH):
            alpha = pixels[origin_x + x, origin_y + y][3]
            assert alpha in (0, 255)
            if alpha:
                inked = True
                assert x <= 11 and 1 <= y <= 19, "ink outside the box in cell 0x%02X" % code
    assert inked == expect_ink, "cell 0x%02X" % code


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(picture, path):
    width, height = picture.size
    raw = picture.tobytes()
    stride = width * 4
    rows = b"".join(b"\x00" + raw[row * stride:(row + 1) * stride] for row in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bit RGBA, no interlace
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(png_chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "media",
                                                                "font.png")
    faces = []
    for name in FACES:
        font = ImageFont.truetype(os.path.join(FONT_DIR, name), PIXEL_SIZE)
        faces.append((font, missing_glyph_mask(font)))

    picture = Image.new("RGBA", (COLUMNS * CELL_WIDTH, ROWS * CELL_HEIGHT), (0, 0, 0, 0))
    for code in range(128):
        text = character_for(code)
        if text is None:
            continue
        mask, font = glyph_for(text, faces)
        draw_cell(picture, code, fit_stroke_box(mask, font))
    for code in range(128):
        check_cell(picture, code, character_for(code) is not None)
    write_png(picture, output)
    print("wrote %s (%d bytes)" % (output, os.path.getsize(output)))


if __name__ == "__main__":
    main()
