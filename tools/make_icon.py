#!/usr/bin/python3
"""Draws the application icon in the sizes of the hicolor theme from the game's own artwork:
Blue's king standing on a tile cut from the board picture, on its shadow.

The board comes from the committed image/board.jpg; the king and its shadow are drawn by the
same routines that draw the game's pieces (tools/make_images.py), at the icon's own size, so
the character stays sharp instead of being an enlarged 48-pixel picture. A rerun on the same
system writes the same bytes.

Usage:
  tools/make_icon.py            write packaging/icons/NxN/ixo-shogi.png
  tools/make_icon.py --check    redraw into a temporary folder and compare
"""

import argparse
import os
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_images  # noqa: E402  (the artwork's own drawing routines)

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
NAME = "ixo-shogi.png"

# Three by three squares around the upper-left star point: enough grid to read as a board.
BOARD_CROP = (2 * 56, 2 * 56, 5 * 56, 5 * 56)
# Below this size a carved character is a smudge; a plain piece reads better.
SMALLEST_CARVED = 32


def rounded_mask(size, radius, inset=0):
    scale = make_images.SS
    big = Image.new("L", (size * scale, size * scale), 0)
    ImageDraw.Draw(big).rounded_rectangle(
        (inset * scale, inset * scale, (size - inset) * scale - 1, (size - inset) * scale - 1),
        radius=radius * scale, fill=255)
    return big.reduce(scale)


def tile(board, size):
    """The square of board wood the piece stands on, with rounded corners and a dark rim."""
    wood = board.crop(BOARD_CROP).resize((size, size), Image.LANCZOS).convert("RGBA")
    radius = max(2, round(size * 0.16))
    outer = rounded_mask(size, radius)
    rim_width = max(1, round(size / 48))
    inner = rounded_mask(size, max(1, radius - rim_width), rim_width)
    rim = Image.new("RGBA", (size, size), (52, 30, 12, 255))
    wood = Image.composite(wood, rim, inner)
    wood.putalpha(outer)
    return wood


def icon(board, size):
    image = tile(board, size)
    height = round(size * 0.80)
    width, native_height = make_images.piece_size(14)
    width = max(2, round(height * width / native_height / 2) * 2)
    piece = make_images.piece_picture(14, make_images.BLUE, width, height, turned=False,
                                      carved=size >= SMALLEST_CARVED)
    shadow = make_images.shadow_picture(make_images.BLUE)
    shadow = shadow.resize((round(width * 1.1), max(2, round(height * 0.5))), Image.LANCZOS)
    left = (size - width) // 2
    top = (size - height) // 2 + max(0, round(size * 0.02))
    image.alpha_composite(shadow, ((size - shadow.width) // 2 + max(1, size // 48),
                                   top + height - shadow.height // 2 - max(1, size // 24)))
    image.alpha_composite(piece, (left, top))
    return image


def build(out):
    board = Image.open(os.path.join(REPO, "image", "board.jpg")).convert("RGB")
    written = []
    for size in SIZES:
        name = os.path.join(f"{size}x{size}", NAME)
        make_images.save_png(icon(board, size), os.path.join(out, name))
        written.append(name)
    return written


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(REPO, "packaging", "icons"))
    parser.add_argument("--check", action="store_true",
                        help="redraw into a temporary folder and compare with --out")
    args = parser.parse_args()
    if args.check:
        return make_images.check_fresh_drawing(build, args.out, "icons")
    names = build(args.out)
    print(f"wrote {len(names)} icons under {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
