"""What the window ought to show, painted independently from the picture files.

The expected frame is composed here from the same files the game loads and from the fixed
layout of the board: squares of 56 pixels with the first at (64, 48), every piece centred
on its square with its foot 4 pixels above the square's bottom edge, every shadow 4 pixels
in from the square's left edge with its middle 50 pixels below the square's top, the
portrait flush with the top-right corner, and the side to move written at (650, 50) with
the embedded font. Comparing screenshots with this, rather than with screenshots of an
earlier run, proves that the picture is right, not merely that it has not changed.
"""

import glob
import os

from PIL import Image, ImageChops

WINDOW = (800, 600)
SQUARE = 56
BOARD_ORIGIN = (64, 48)
LABEL_AT = (650, 50)
GLYPH = (16, 32)
ADVANCE = 10

PAWN, PROMOTED_PAWN, BISHOP, PROMOTED_BISHOP, ROOK, PROMOTED_ROOK = 1, 2, 3, 4, 5, 6
LANCE, PROMOTED_LANCE, KNIGHT, PROMOTED_KNIGHT = 7, 8, 9, 10
SILVER, PROMOTED_SILVER, GOLD, KING = 11, 12, 13, 14
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
        # What only the standard rules show.
        self.standard_background = _load(join("bg-standard.jpg"))
        self.last_move = _load(join("last-move.png"))
        self.check = _load(join("check.png"))
        self.hand_light = _load(join("hand-light.png"))
        self.promotion = _load(join("promotion.png"))
        self.counts = {BLUE: _load(join("counts-1p.png")), RED: _load(join("counts-2p.png"))}
        self.banners = {}
        if image_dir:
            for path in glob.glob(os.path.join(image_dir, "banner", "*.png")):
                self.banners[os.path.basename(path)[:-4]] = _load(path)
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
        self.notice = ""  # the line under the board

    def copy(self):
        scene = Scene(self.board, self.turn, self.selected, self.highlights)
        scene.notice = self.notice
        return scene


class StandardScene(Scene):
    """The standard rules add the hands, the marks of the last move and of check, the
    choice to promote and the end of the game to what a Scene holds."""

    def __init__(self, board=None, turn=BLUE, selected=None, highlights=()):
        super().__init__(board, turn, selected, highlights)
        self.hands = {BLUE: {}, RED: {}}  # owner: {unpromoted code: count}
        self.hand_pick = None  # (owner, code) picked from a hand
        self.last_move = []  # the squares marked as the last move
        self.checked = None  # the square of a king in check
        self.choice = None  # (column, row, piece, owner) where promotion is asked
        self.banner = None  # its file name without .png

    def copy(self):
        scene = StandardScene(self.board, self.turn, self.selected, self.highlights)
        scene.notice = self.notice
        scene.hands = {owner: dict(held) for owner, held in self.hands.items()}
        scene.hand_pick = self.hand_pick
        scene.last_move = list(self.last_move)
        scene.checked = self.checked
        scene.choice = self.choice
        scene.banner = self.banner
        return scene


# Where each kind in hand stands: Blue right of the board in two rows, Red in one column left
# of it, from the top, turned round. Slots are 50 x 56.
HAND_KINDS = [ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN]
HAND_SLOT = (50, 56)
NOTICE_AT = (64, 566)
PROMOTED = {PAWN: PROMOTED_PAWN, BISHOP: PROMOTED_BISHOP, ROOK: PROMOTED_ROOK,
            LANCE: PROMOTED_LANCE, KNIGHT: PROMOTED_KNIGHT, SILVER: PROMOTED_SILVER}


def hand_slot(owner, code):
    index = HAND_KINDS.index(code)
    if owner == BLUE:
        return (600 + 50 * index, 488) if index < 4 else (650 + 50 * (index - 4), 544)
    return (7, 48 + 56 * (6 - index))


def hand_slot_centre(owner, code):
    x, y = hand_slot(owner, code)
    return (x + HAND_SLOT[0] // 2, y + HAND_SLOT[1] // 2)


def promotion_choice(column, row):
    """The left edge and top of the choice to promote asked at (column, row)."""
    left = min(max(BOARD_ORIGIN[0] + SQUARE * column - SQUARE // 2, BOARD_ORIGIN[0]),
               BOARD_ORIGIN[0] + 7 * SQUARE)
    return (left, BOARD_ORIGIN[1] + SQUARE * row)


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


def _stand(frame, picture, left, top, width):
    """A piece stood on a slot or square: centred across it, its foot 4 pixels above the
    bottom of the 56 pixels."""
    if picture is not None:
        _paste(frame, picture, (left + width // 2 - picture.size[0] // 2,
                                top + SQUARE - 4 - picture.size[1]))


def _paste_board_pieces(frame, pictures, scene):
    """Every shadow first, then every piece, row by row, as the game paints them."""
    squares = sorted(scene.board.items(), key=lambda i: i[0][::-1])
    for (column, row), (piece, owner) in squares:
        shadow = pictures.shadows[owner]
        if shadow is not None:
            _paste(frame, shadow, shadow_position(column, row, shadow))
    for (column, row), (piece, owner) in squares:
        picture = pictures.pieces[(owner, piece)]
        if picture is not None:
            _paste(frame, picture, piece_position(column, row, picture))


def _render_standard(pictures, scene):
    frame = Image.new("RGBA", WINDOW, (0, 0, 0, 255))
    _paste(frame, pictures.standard_background, (0, 0))
    shown = None
    if scene.hand_pick is not None:
        shown = scene.hand_pick
    elif scene.selected is not None:
        piece, owner = scene.board[scene.selected]
        shown = (owner, piece)
    if shown is not None:
        portrait = pictures.portraits[shown]
        if portrait is not None:
            _paste(frame, portrait, (WINDOW[0] - portrait.size[0], 0))
    _paste(frame, pictures.board, BOARD_ORIGIN)
    for square in scene.last_move:
        _paste(frame, pictures.last_move, square_origin(*square))
    if scene.checked is not None:
        _paste(frame, pictures.check, square_origin(*scene.checked))
    for square in sorted(scene.highlights, key=lambda s: (s[1], s[0])):
        _paste(frame, pictures.highlight, square_origin(*square))
    _paste_board_pieces(frame, pictures, scene)
    for owner in (BLUE, RED):
        for code in HAND_KINDS:
            held = scene.hands[owner].get(code, 0)
            if not held:
                continue
            left, top = hand_slot(owner, code)
            if scene.hand_pick == (owner, code):
                _paste(frame, pictures.hand_light, (left, top))
            shadow = pictures.shadows[owner]
            if shadow is not None:
                _paste(frame, shadow, (left + HAND_SLOT[0] // 2 - shadow.size[0] // 2,
                                       top + 50 - shadow.size[1] // 2))
            _stand(frame, pictures.pieces[(owner, code)], left, top, HAND_SLOT[0])
            counts = pictures.counts[owner]
            if held >= 2 and counts is not None:
                width, height = counts.size[0] // 17, counts.size[1]
                badge = counts.crop(((held - 2) * width, 0, (held - 1) * width, height))
                at = ((left + HAND_SLOT[0] - width, top + HAND_SLOT[1] - height)
                      if owner == BLUE else (left, top))
                _paste(frame, badge, at)
    if scene.choice is not None:
        column, row, piece, owner = scene.choice
        left, top = promotion_choice(column, row)
        _paste(frame, pictures.promotion, (left, top))
        _stand(frame, pictures.pieces[(owner, PROMOTED[piece])], left, top, SQUARE)
        _stand(frame, pictures.pieces[(owner, piece)], left + SQUARE, top, SQUARE)
    if scene.banner is not None:
        banner = pictures.banners.get(scene.banner)
        if banner is not None:
            _paste(frame, banner, (316 - banner.size[0] // 2, 300 - banner.size[1] // 2))
    _draw_text(frame, pictures.font, LABEL_AT, SIDE_NAMES[scene.turn])
    if scene.notice:
        _draw_text(frame, pictures.font, NOTICE_AT, scene.notice)
    return frame.convert("RGB")


def render(pictures, scene):
    """The frame for `scene`, layered as the game layers it, at full 8-bit depth."""
    if isinstance(scene, StandardScene):
        return _render_standard(pictures, scene)
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
    _paste_board_pieces(frame, pictures, scene)
    _draw_text(frame, pictures.font, LABEL_AT, SIDE_NAMES[scene.turn])
    if scene.notice:
        _draw_text(frame, pictures.font, NOTICE_AT, scene.notice)
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


def regions(scene_label, whole_window=False):
    """Named boxes a difference is reported against: each square, the label, the rest.
    With `whole_window` every pixel of the window lies in one of them."""
    boxes = []
    if whole_window:
        boxes.append(("left of the board", (0, 0, 64, 600)))
        boxes.append(("above the board", (64, 0, 568, 48)))
        # The text line under the board runs on to Blue's hand, which starts at x 600.
        boxes.append(("under the board", (64, 552, 600, 600)))
        boxes.append(("below the panel", (600, 552, 800, 600)))
    for row in range(9):
        for column in range(9):
            x, y = square_origin(column, row)
            boxes.append((f"square ({column},{row})", (x, y, x + SQUARE, y + SQUARE)))
    boxes.append(("label", label_box(scene_label)))
    boxes.append(("top-right corner", (568, 0, 800, 48)))
    boxes.append(("right of the board", (568, 48, 800, 552 if whole_window else 600)))
    return boxes


def count_mismatches(mask, box=None):
    area = mask if box is None else mask.crop(box)
    return area.histogram()[255]
