#!/usr/bin/python3
"""Looks at the game's window on an X display and tells whether the board is drawn with its
pieces in the start position, by comparing the screen with the installed pictures.

The window shows the background at (0, 0) and the board picture at (64, 48); pieces stand
on rows 0, 2, 6 and 8 of the board, nothing on row 4. So an empty square of row 4 must look
like the same spot of board.jpg, a square holding a king must not, and a spot of the side
panel must look like bg.jpg. The screen is 16 bits per pixel, so colours are compared with
a tolerance.

Usage: check_window.py DISPLAY X Y PICTURE_DIR [--timeout S] [--screenshot FILE]
X and Y are the window's position on the screen. Exit status 0 when the board shows.
"""

import argparse
import sys
import time

from PIL import Image, ImageChops, ImageGrab, ImageStat

WINDOW = (800, 600)
BOARD_ORIGIN = (64, 48)
SQUARE = 56
PATCH = 24  # the middle of a square, clear of its grid lines

# A 16-bit screen keeps 5 or 6 bits of each channel: up to 8 levels off, 4 on average.
SAME_LIMIT = 10.0
# A piece's face differs from the bare board by far more than that.
DIFFERENT_LIMIT = 25.0


def square_patch(column, row):
    left = BOARD_ORIGIN[0] + SQUARE * column + (SQUARE - PATCH) // 2
    top = BOARD_ORIGIN[1] + SQUARE * row + (SQUARE - PATCH) // 2
    return (left, top, left + PATCH, top + PATCH)


def mean_difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def judge(window, board, background):
    """Returns (passed, lines of findings)."""
    findings = []
    passed = True

    def compare(what, box, reference, reference_box, expect_same):
        nonlocal passed
        difference = mean_difference(window.crop(box), reference.crop(reference_box))
        ok = difference <= SAME_LIMIT if expect_same else difference >= DIFFERENT_LIMIT
        passed = passed and ok
        findings.append(f"{'ok  ' if ok else 'FAIL'} {what}: mean difference {difference:.1f}")

    def board_box(box):
        return tuple(v - BOARD_ORIGIN[i % 2] for i, v in enumerate(box))

    for column in (0, 4, 8):
        box = square_patch(column, 4)
        compare(f"empty square ({column}, 4) shows the board picture", box, board,
                board_box(box), True)
    for row, side in ((8, "Blue"), (0, "Red")):
        box = square_patch(4, row)
        compare(f"{side}'s king on (4, {row}) stands on the board", box, board, board_box(box),
                False)
    side_panel = (600, 400, 760, 560)
    compare("the side panel shows the background picture", side_panel, background, side_panel,
            True)
    return passed, findings


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("display")
    parser.add_argument("x", type=int)
    parser.add_argument("y", type=int)
    parser.add_argument("pictures")
    parser.add_argument("--timeout", type=float, default=20.0)
    parser.add_argument("--screenshot")
    args = parser.parse_args()

    board = Image.open(f"{args.pictures}/board.jpg").convert("RGB")
    background = Image.open(f"{args.pictures}/bg.jpg").convert("RGB")
    deadline = time.monotonic() + args.timeout
    while True:
        screen = ImageGrab.grab(xdisplay=args.display).convert("RGB")
        window = screen.crop((args.x, args.y, args.x + WINDOW[0], args.y + WINDOW[1]))
        passed, findings = judge(window, board, background)
        # The first frames may not be up yet; only the last look counts.
        if passed or time.monotonic() > deadline:
            break
        time.sleep(0.25)
    if args.screenshot:
        window.save(args.screenshot)
    print("\n".join(findings))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
