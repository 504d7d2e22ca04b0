"""What the window ought to show, painted independently from the picture files.

The expected frame is composed here from the same files the game loads and from the fixed
layout of the board: squares of 56 pixels with the first at (64, 48), every piece centred
on its square with its foot 4 pixels above the square's bottom edge, every shadow 4 pixels
in from the square's left edge with its middle 50 pixels below the square's top, the
portrait flush with the top-right corner, and the side to move written at (650, 50) with
the embedded font. Comparing screenshots with this, rather than with screenshots of an
earlier run, proves that the picture is right, not merely that it has not changed.
"""

import os

from PIL import Image, ImageChops

WINDOW = (800, 600)
SQUARE = 56
BOARD_ORIGIN = (64, 48)
LABEL_AT = (650, 50)
GLYPH = (16, 32)
ADVANCE = 10

PAWN, PROMOTED_PAWN, BISHOP, PROMOTED_BISHOP, ROOK = 1, 2, 3, 4, 5
LANCE, KNIGHT, SILVER, GOLD, KING = 7, 9, 11, 13, 14
BLUE, RED = 0, 1

PIECE_NAMES = {
    1: "pawn", 2: "promoted pawn", 3: "bishop", 4: "promoted bishop", 5: "rook",
    6: "promoted rook", 7: "lance", 8: "promoted lance", 9: "knight", 10: "promoted knight",
    11: "silver", 12: "promoted silver", 13: "gold", 14: "king",
}
SIDE_NAMES = {BLUE: "Blue", RED: "Red"}

_BACK_RANK = [LANCE, KNIGHT, SILVER, GOLD, KING, GOLD, SILVER, KNIGHT, LANCE]


def start_position():
    """{(column, row): (piece, owner)} for the opening position, Red at the top."""
    board = {}
    for column, piece in enumerate(_BACK_RANK):
        board[(column, 0)] = (piece, RED)
        board[(column, 8)] = (piece, BLUE)
    for column in range(9):
        board[(column, 2)] = (PAWN, RED)
        board[(column, 6)] = (PAWN, BLUE)
    board[(1, 1)] = (ROOK, RED)
    board[(7, 1)] = (BISHOP, RED)
    board[(1, 7)] = (BISHOP, BLUE)
    board[(7, 7)] = (ROOK, BLUE)
    return board


def square_origin(column, row):
    return (BOARD_ORIGIN[0] + SQUARE * column, BOARD_ORIGIN[1] + SQUARE * row)


def square_centre(column, row):
    x, y = square_origin(column, row)
    return (x + SQUARE // 2, y + SQUARE // 2)


def piece_position(column, row, picture):
    width, height = picture.size
    return (92 + SQUARE * column - width // 2, 100 + SQUARE * row - height)


def shadow_position(column, row, picture):
    return (68 + SQUARE * column, 98 + SQUARE * row - picture.size[1] // 2)


def _load(path):
    """A picture as RGBA, or None where the game would find nothing to draw."""
    if not path:
        return None
    try:
        with Image.open(path) as picture:
            return picture.convert("RGBA")
    except (OSError, ValueError):
        return None


class Pictures:
    """The picture files the game reads, keyed as the game keys them."""

    def __init__(self, image_dir, font_path):
        self.image_dir = image_dir
        join = lambda *parts: os.path.join(image_dir, *parts) if image_dir else ""
        self.background = _load(join("bg.jpg"))
        self.board = _load(join("board.jpg"))
        self.pieces = {
            (owner, code): _load(join("team", "sample", folder, f"{code:02d}.png"))
            for owner, folder in ((BLUE, "1p"), (RED, "2p")) for code in range(1, 15)
        }
        self.portraits = {
            (owner, code): _load(join("team", "sample", folder, f"{code:02d}.png"))
            for owner, folder in ((BLUE, "1pcg"), (RED, "2pcg")) for code in range(1, 15)
        }
        self.shadows = {BLUE: _load(join("kageb.png")), RED: _load(join("kager.png"))}
        self.highlight = _load(join("hikari.png"))
        self.font = _load(font_path)
        if self.font is None:
            raise FileNotFoundError(f"cannot read the font picture {font_path}")

    def missing(self, names):
        """Which of the named pictures the folder lacks; the scripted game needs them all."""
        lacking = []
        for name in names:
            if _load(os.path.join(self.image_dir, name)) is None:
                lacking.append(name)
        return lacking


class Scene:
    """The state the screen is drawn from, in screen orientation."""

    def __init__(self, board=None, turn=BLUE, selected=None, highlights=()):
        self.board = dict(start_position() if board is None else board)
        self.turn = turn
        self.selected = selected  # (column, row) on screen, or None
        self.highlights = set(highlights)  # screen squares

    def copy(self):
        return Scene(self.board, self.turn, self.selected, self.highlights)


def _paste(frame, picture, position):
    """Blends `picture` over `frame` with its top-left corner at `position`, clipped.

    The game blends every picture into a 16-bit screen, so each layer lands on colours that
    have already lost their low bits; the touched area is cut down the same way here.
    """
    if picture is None:
        return
    x, y = position
    left, top = max(0, -x), max(0, -y)
    right = min(picture.size[0], frame.size[0] - x)
    bottom = min(picture.size[1], frame.size[1] - y)
    if left >= right or top >= bottom:
        return
    box = (x + left, y + top, x + right, y + bottom)
    area = frame.crop(box)
    area.alpha_composite(picture.crop((left, top, right, bottom)))
    frame.paste(area.point(_QUANTIZE_RGBA), box)


def _draw_text(frame, font, position, text):
    x, y = position
    for index, character in enumerate(text.encode("ascii")):
        code = character if character < 127 else 0x20
        cell = ((code >> 4) * GLYPH[0], (code & 15) * GLYPH[1])
        glyph = font.crop((cell[0], cell[1], cell[0] + GLYPH[0], cell[1] + GLYPH[1]))
        _paste(frame, glyph, (x + ADVANCE * index, y))


def label_box(text):
    x, y = LABEL_AT
    return (x, y, x + ADVANCE * (len(text) - 1) + GLYPH[0], y + GLYPH[1])


def render(pictures, scene):
    """The frame for `scene`, layered as the game layers it, at full 8-bit depth."""
    frame = Image.new("RGBA", WINDOW, (0, 0, 0, 255))
    _paste(frame, pictures.background, (0, 0))
    if scene.selected is not None:
        piece, owner = scene.board[scene.selected]
        portrait = pictures.portraits[(owner, piece)]
        if portrait is not None:
            _paste(frame, portrait, (WINDOW[0] - portrait.size[0], 0))
    _paste(frame, pictures.board, BOARD_ORIGIN)
    for square in sorted(scene.highlights, key=lambda s: (s[1], s[0])):
        _paste(frame, pictures.highlight, square_origin(*square))
    for (column, row), (piece, owner) in sorted(scene.board.items(), key=lambda i: i[0][::-1]):
        shadow = pictures.shadows[owner]
        if shadow is not None:
            _paste(frame, shadow, shadow_position(column, row, shadow))
    for (column, row), (piece, owner) in sorted(scene.board.items(), key=lambda i: i[0][::-1]):
        picture = pictures.pieces[(owner, piece)]
        if picture is not None:
            _paste(frame, picture, piece_position(column, row, picture))
    _draw_text(frame, pictures.font, LABEL_AT, SIDE_NAMES[scene.turn])
    return frame.convert("RGB")


# What reaches the X server from the 16-bit window has 5 bits of red and blue and 6 of
# green. SDL blends at that depth with its own rounding, which can land one 5-bit step away
# from blending at 8 bits; the margin covers that step and no more, so that a picture that is
# wrong, missing or shifted by a pixel stands out.
TOLERANCE = 16
_QUANTIZE = [v & 0xF8 for v in range(256)] + [v & 0xFC for v in range(256)] + \
            [v & 0xF8 for v in range(256)]
_QUANTIZE_RGBA = _QUANTIZE + list(range(256))


def mismatch_mask(shot, expected):
    """An L picture, 255 where the screenshot's colour is off the expected one."""
    # How the 16-bit colours are widened for the X server is the library's choice: classic
    # SDL leaves the low bits zero, SDL 2 fills them in. Only the bits the game drew count.
    difference = ImageChops.difference(shot.convert("RGB").point(_QUANTIZE),
                                       expected.point(_QUANTIZE))
    red, green, blue = difference.split()
    worst = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    return worst.point(lambda v: 255 if v > TOLERANCE else 0)


def regions(scene_label):
    """Named boxes a difference is reported against: each square, the label, the rest."""
    boxes = []
    for row in range(9):
        for column in range(9):
            x, y = square_origin(column, row)
            boxes.append((f"square ({column},{row})", (x, y, x + SQUARE, y + SQUARE)))
    boxes.append(("label", label_box(scene_label)))
    boxes.append(("top-right corner", (568, 0, 800, 48)))
    boxes.append(("right of the board", (568, 48, 800, 600)))
    return boxes


def count_mismatches(mask, box=None):
    area = mask if box is None else mask.crop(box)
    return area.histogram()[255]
