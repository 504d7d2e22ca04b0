#!/usr/bin/python3
"""Draws every picture that the game loads from image/: background, board, pieces, shadows,
highlight and the piece cards.

Everything is drawn here from free fonts and a seeded random generator, so a rerun on the same
system writes the same bytes: PNGs carry no metadata and no time stamp, JPEGs use a fixed
quality and 4:4:4 sampling. Shapes and text are drawn at four times their size and reduced,
which gives smooth edges without relying on any anti-aliasing of the drawing calls.

Fonts (Debian packages; the script stops with a clear message when one is missing):
  Noto Serif CJK JP Bold and Regular (fonts-noto-cjk, SIL Open Font License 1.1)
  Aoyagi Kouzan Font T (fonts-aoyagi-kouzan-t, public domain), for the brush title only

Usage:
  tools/make_images.py [--out DIR]      write the pictures (default: image/ of this repository)
  tools/make_images.py --check          redraw into a temporary folder and compare with image/
  tools/make_images.py --preview FILE   also compose the start position as the game lays it out
"""

import argparse
import filecmp
import math
import os
import random
import sys
import tempfile

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FONT_FILES = {
    "bold": ("/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc", 0, "fonts-noto-cjk"),
    "regular": ("/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc", 0, "fonts-noto-cjk"),
    "brush": ("/usr/share/fonts/truetype/aoyagi-kouzan-t/AoyagiKouzanT.ttf", 0,
              "fonts-aoyagi-kouzan-t"),
}

SS = 4  # supersampling factor for everything with edges

# The game's layout, which every picture has to fit.
SQUARE = 56
BOARD_X, BOARD_Y = 64, 48
BOARD_SIZE = 9 * SQUARE
WINDOW_W, WINDOW_H = 800, 600
LABEL_X, LABEL_Y = 650, 50
CARD_W, CARD_H = 200, 300

BLUE, RED = 0, 1
SIDE_DIRS = {BLUE: "1p", RED: "2p"}

# Picture size (width, height) per piece family, thickness included. A real set grows with
# rank; widths are even so that the game's w / 2 centres the piece exactly on its square.
PIECE_SIZES = {
    "pawn": (38, 44), "lance": (40, 46), "knight": (42, 47),
    "silver": (44, 49), "gold": (44, 49), "bishop": (46, 50), "rook": (46, 50),
    "king": (48, 52),
}
THICKNESS = 3  # pixels of the piece's lacquered side that show below its face

INK = (28, 20, 14)
PROMOTED_INK = (196, 30, 26)

# Per code: family, kanji, promoted, English name, Japanese name, reading, description.
PIECES = {
    1: ("pawn", "歩", False, "Pawn", "歩兵", "fuhyō", "One step straight forward."),
    2: ("pawn", "と", True, "Tokin", "と金", "tokin", "Promoted pawn: moves like a gold."),
    3: ("bishop", "角", False, "Bishop", "角行", "kakugyō", "Any distance diagonally."),
    4: ("bishop", "馬", True, "Horse", "龍馬", "ryūma",
        "Promoted bishop: any distance diagonally, or one step straight."),
    5: ("rook", "飛", False, "Rook", "飛車", "hisha", "Any distance straight."),
    6: ("rook", "龍", True, "Dragon", "龍王", "ryūō",
        "Promoted rook: any distance straight, or one step diagonally."),
    7: ("lance", "香", False, "Lance", "香車", "kyōsha", "Any distance straight forward."),
    8: ("lance", "杏", True, "Promoted lance", "成香", "narikyō", "Moves like a gold."),
    9: ("knight", "桂", False, "Knight", "桂馬", "keima",
        "Jumps two forward and one aside, over anything."),
    10: ("knight", "圭", True, "Promoted knight", "成桂", "narikei", "Moves like a gold."),
    11: ("silver", "銀", False, "Silver general", "銀将", "ginshō",
         "One step forward or diagonally."),
    12: ("silver", "全", True, "Promoted silver", "成銀", "narigin", "Moves like a gold."),
    13: ("gold", "金", False, "Gold general", "金将", "kinshō",
         "One step in any direction but diagonally back."),
    14: ("king", "玉", False, "King", "玉将", "gyokushō", "One step in any direction."),
}
# Blue moves first, as the challenger does, so Blue carries 玉 and Red the senior 王.
KING_KANJI = {BLUE: "玉", RED: "王"}
KING_NAME = {BLUE: ("玉将", "gyokushō"), RED: ("王将", "ōshō")}

GOLD_STEPS = [(0, -1), (-1, -1), (1, -1), (-1, 0), (1, 0), (0, 1)]
ORTHOGONAL = [(0, -1), (1, 0), (0, 1), (-1, 0)]
DIAGONAL = [(-1, -1), (1, -1), (-1, 1), (1, 1)]
# (steps, rays) per code, forward being (0, -1).
MOVES = {
    1: ([(0, -1)], []),
    2: (GOLD_STEPS, []),
    3: ([], DIAGONAL),
    4: (ORTHOGONAL, DIAGONAL),
    5: ([], ORTHOGONAL),
    6: (DIAGONAL, ORTHOGONAL),
    7: ([], [(0, -1)]),
    8: (GOLD_STEPS, []),
    9: ([(-1, -2), (1, -2)], []),
    10: (GOLD_STEPS, []),
    11: ([(0, -1), (-1, -1), (1, -1), (-1, 1), (1, 1)], []),
    12: (GOLD_STEPS, []),
    13: (GOLD_STEPS, []),
    14: (ORTHOGONAL + DIAGONAL, []),
}

# Side colours: the lacquered edge of the pieces, the shadow tint and the card.
SIDE = {
    BLUE: {"edge": (38, 92, 186), "edge_dark": (16, 44, 110), "shadow": (10, 30, 96),
           "card_top": (28, 42, 72), "card_bottom": (12, 18, 34), "frame": (64, 122, 214),
           "name": "Blue"},
    RED: {"edge": (192, 48, 40), "edge_dark": (104, 18, 16), "shadow": (96, 12, 10),
          "card_top": (70, 26, 28), "card_bottom": (32, 10, 12), "frame": (214, 72, 60),
          "name": "Red"},
}


# ----------------------------------------------------------------------------------------
# Fonts and text


_font_cache = {}


def font(kind, size):
    key = (kind, size)
    if key not in _font_cache:
        path, index, package = FONT_FILES[kind]
        if not os.path.exists(path):
            sys.exit(f"make_images: missing font {path}; install the Debian package {package}")
        # The basic layout keeps the output independent of whether libraqm is present.
        _font_cache[key] = ImageFont.truetype(path, size, index=index,
                                              layout_engine=ImageFont.Layout.BASIC)
    return _font_cache[key]


def glyph_mask(text, kind, size):
    """The ink of a text as an L mask cropped to its bounding box."""
    f = font(kind, size)
    left, top, right, bottom = f.getbbox(text)
    canvas = Image.new("L", (right - left + 8, bottom - top + 8), 0)
    ImageDraw.Draw(canvas).text((4 - left, 4 - top), text, font=f, fill=255)
    box = canvas.getbbox()
    return canvas.crop(box) if box else canvas


def draw_text(image, position, text, kind, size, colour, anchor="la"):
    """Text drawn at SS times its size and reduced, onto an RGB(A) image at 1x."""
    f = font(kind, size * SS)
    left, top, right, bottom = f.getbbox(text, anchor=anchor)
    x, y = position
    ox, oy = math.floor(x + left / SS), math.floor(y + top / SS)
    width = math.ceil((right - left) / SS) + 2
    height = math.ceil((bottom - top) / SS) + 2
    canvas = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(canvas).text(((x - ox) * SS, (y - oy) * SS), text, font=f, fill=255,
                                anchor=anchor)
    paint(image, canvas.reduce(SS), colour, (ox, oy))


def text_width(text, kind, size):
    return font(kind, size * SS).getlength(text) / SS


def paint(image, mask, colour, offset=(0, 0), opacity=1.0):
    """Lays a flat colour through a mask onto an image."""
    if opacity != 1.0:
        mask = mask.point(lambda v: int(v * opacity + 0.5))
    solid = Image.new(image.mode, mask.size, colour if image.mode == "RGB" else colour + (255,))
    if image.mode == "RGBA":
        layer = Image.new("RGBA", image.size, (0, 0, 0, 0))
        solid.putalpha(mask)
        layer.paste(solid, offset)
        image.alpha_composite(layer)
    else:
        image.paste(solid, offset, mask)


def wrap(text, kind, size, width):
    lines, line = [], ""
    for word in text.split():
        candidate = f"{line} {word}".strip()
        if line and text_width(candidate, kind, size) > width:
            lines.append(line)
            line = word
        else:
            line = candidate
    if line:
        lines.append(line)
    return lines


# ----------------------------------------------------------------------------------------
# Textures


def smooth_noise(width, height, cells_x, cells_y, rng):
    """Value noise: a small random grid enlarged bicubically, as an L image."""
    grid = Image.frombytes("L", (cells_x + 3, cells_y + 3), rng.randbytes((cells_x + 3) *
                                                                         (cells_y + 3)))
    # Enlarging the whole grid and cropping the middle avoids the clamped borders.
    scale_x, scale_y = width / cells_x, height / cells_y
    big = grid.resize((round((cells_x + 3) * scale_x), round((cells_y + 3) * scale_y)),
                      Image.BICUBIC)
    return big.crop((round(scale_x), round(scale_y), round(scale_x) + width,
                     round(scale_y) + height))


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def wood(width, height, seed, light, dark, lines, waviness=2.5, vertical=True):
    """Straight-grained wood: fine dark lines along the grain that wander a little, fibres,
    and a slow change of tone, as on a quarter-sawn board."""
    rng = random.Random(seed)
    across, along = (width, height) if vertical else (height, width)
    wander = list(smooth_noise(across, along, 3, 5, rng).getdata())
    tone = list(smooth_noise(across, along, 4, 3, rng).getdata())
    fibre = list(smooth_noise(across, along, across // 2, 6, rng).getdata())
    spacing = across / lines
    pixels = []
    for y in range(along):
        for x in range(across):
            i = y * across + x
            t = (x + (wander[i] - 128) / 128 * waviness * spacing) / spacing
            ring = 0.5 + 0.5 * math.cos(2 * math.pi * t)
            ring = ring ** 6  # thin late-wood lines between wide early wood
            shade = 0.55 * ring + 0.25 * (tone[i] / 255) + 0.2 * (fibre[i] / 255)
            pixels.append(lerp(light, dark, min(1.0, shade)))
    image = Image.new("RGB", (across, along))
    image.putdata(pixels)
    return image if vertical else image.transpose(Image.TRANSPOSE)


def dither(image, seed, amount):
    """Fine noise, so that smooth gradients do not band on a 16-bit screen."""
    rng = random.Random(seed)
    noise = Image.frombytes("L", image.size, rng.randbytes(image.size[0] * image.size[1]))
    offset = noise.point(lambda v: 128 + int((v - 128) / 128 * amount))
    bands = [ImageChops.add(band, offset, 1, -128) for band in image.split()[:3]]
    result = Image.merge("RGB", bands)
    if image.mode == "RGBA":
        result.putalpha(image.getchannel("A"))
    return result


def vertical_gradient(size, top, bottom):
    width, height = size
    column = Image.new("RGB", (1, height))
    column.putdata([lerp(top, bottom, y / max(1, height - 1)) for y in range(height)])
    return column.resize(size, Image.NEAREST)


def shifted(mask, dx, dy):
    """The mask moved by (dx, dy), with the vacated area empty."""
    out = Image.new("L", mask.size, 0)
    out.paste(mask, (dx, dy))
    return out


# ----------------------------------------------------------------------------------------
# Pieces


def pentagon(width, height, inset=0.0):
    """The five-sided outline of a piece pointing up, in pixels of the given box."""
    left, right = inset, width - inset
    bottom, top = height - inset, inset
    shoulder = top + 0.30 * height
    taper = 0.085 * width
    return [((left + right) / 2, top), (right - taper, shoulder), (right, bottom),
            (left, bottom), (left + taper, shoulder)]


_piece_wood = None


def piece_wood():
    """One sheet of pale boxwood from which every piece face is cut."""
    global _piece_wood
    if _piece_wood is None:
        _piece_wood = wood(220 * 2, 240 * 2, 7, (246, 224, 168), (206, 160, 88), 26,
                           waviness=1.5)
    return _piece_wood


def piece_picture(code, side, width, height, turned, carved=True):
    """A piece of the given picture size, drawn at SS times and reduced. `turned` points it
    toward the bottom, as the opponent's pieces stand on a real board; an uncarved piece is a
    plain marker for pictures too small for a legible character."""
    family, kanji, promoted = PIECES[code][:3]
    if code == 14:
        kanji = KING_KANJI[side]
    scale = width / PIECE_SIZES[family][0]
    thickness = max(1, round(THICKNESS * scale))
    W, H = width * SS, height * SS
    face_h = H - thickness * SS

    outline = Image.new("L", (W, face_h), 0)
    ImageDraw.Draw(outline).polygon(pentagon(W, face_h, 0.5 * SS), fill=255)

    # The character sits a little low, where the piece is widest, and fills it nearly
    # edge to edge, as carved pieces do.
    glyph = glyph_mask(kanji, "bold", round(0.66 * width * SS))
    fit = min(1.0, 0.72 * W / glyph.width, 0.60 * face_h / glyph.height)
    if fit < 1.0:
        glyph = glyph.resize((max(1, round(glyph.width * fit)), max(1, round(glyph.height * fit))),
                             Image.LANCZOS)
    carving = Image.new("L", (W, face_h), 0)
    if carved:
        carving.paste(glyph, (round(W / 2 - glyph.width / 2),
                              round(0.60 * face_h - glyph.height / 2)))

    if turned:
        # Only the face turns; its thickness stays below it, where the light puts it.
        outline = outline.transpose(Image.ROTATE_180)
        carving = carving.transpose(Image.ROTATE_180)
    top = Image.new("L", (W, H), 0)
    top.paste(outline, (0, 0))
    ink = Image.new("L", (W, H), 0)
    ink.paste(carving, (0, 0))

    # The body is the face pushed down through the piece's thickness.
    body = top.copy()
    for step in range(1, thickness * SS + 1):
        body = ImageChops.lighter(body, shifted(top, 0, step))
    face = top.filter(ImageFilter.MinFilter(2 * round(1.1 * SS) + 1))

    colours = SIDE[side]
    image = vertical_gradient((W, H), colours["edge"], colours["edge_dark"])
    sheet = piece_wood()
    rng = random.Random(code * 2 + side)
    ox = rng.randrange(0, sheet.width - W // 2) if sheet.width > W // 2 else 0
    oy = rng.randrange(0, sheet.height - H // 2) if sheet.height > H // 2 else 0
    grain = sheet.crop((ox, oy, ox + W // 2, oy + H // 2)).resize((W, H), Image.BICUBIC)
    image.paste(grain, (0, 0), face)

    # A soft bevel: light on the edges that face the upper left, shade on the others.
    bevel = 2 * SS
    lit = ImageChops.subtract(face, shifted(face, bevel, bevel)).filter(
        ImageFilter.GaussianBlur(SS * 0.6))
    shade = ImageChops.subtract(face, shifted(face, -bevel, -bevel)).filter(
        ImageFilter.GaussianBlur(SS * 0.6))
    paint(image, ImageChops.multiply(lit, face), (255, 246, 220), opacity=0.55)
    paint(image, ImageChops.multiply(shade, face), (120, 80, 36), opacity=0.35)

    ink = ImageChops.multiply(ink, face)
    paint(image, ink, PROMOTED_INK if promoted else INK)

    # A thin dark line round the whole piece keeps it apart from the wood of the board.
    rim = ImageChops.subtract(body, body.filter(ImageFilter.MinFilter(2 * round(0.3 * SS) + 1)))
    paint(image, rim, (40, 26, 16), opacity=0.45)

    small = image.resize((width, height), Image.BOX)
    small.putalpha(body.resize((width, height), Image.BOX))
    return small


def piece_size(code):
    return PIECE_SIZES[PIECES[code][0]]


# ----------------------------------------------------------------------------------------
# Board, shadows, highlight, background


def board_picture():
    image = wood(BOARD_SIZE, BOARD_SIZE, 11, (232, 184, 104), (196, 136, 64), 56, waviness=0.9)
    lines = Image.new("L", (BOARD_SIZE * SS, BOARD_SIZE * SS), 0)
    draw = ImageDraw.Draw(lines)
    edge = BOARD_SIZE * SS
    half = SS  # inner lines are two pixels wide, centred on the square border
    for k in range(1, 9):
        p = k * SQUARE * SS
        draw.rectangle((p - half, 0, p + half - 1, edge - 1), fill=255)
        draw.rectangle((0, p - half, edge - 1, p + half - 1), fill=255)
    border = 3 * SS
    draw.rectangle((0, 0, edge - 1, border - 1), fill=255)
    draw.rectangle((0, edge - border, edge - 1, edge - 1), fill=255)
    draw.rectangle((0, 0, border - 1, edge - 1), fill=255)
    draw.rectangle((edge - border, 0, edge - 1, edge - 1), fill=255)
    radius = 4.5 * SS
    for gx in (3, 6):
        for gy in (3, 6):
            cx, cy = gx * SQUARE * SS, gy * SQUARE * SS
            draw.ellipse((cx - radius, cy - radius, cx + radius, cy + radius), fill=255)
    paint(image, lines.reduce(SS), (52, 30, 12), opacity=0.85)
    return image


def shadow_picture(side):
    width, height = 52, 26
    mask = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(mask).ellipse((5 * SS, 6 * SS, (width - 3) * SS, (height - 5) * SS),
                                 fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(3 * SS)).reduce(SS)
    image = Image.new("RGBA", (width, height), SIDE[side]["shadow"] + (0,))
    image.putalpha(mask.point(lambda v: int(v * 0.8)))
    return image


def highlight_picture():
    size = SQUARE
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    big = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle((3 * SS, 3 * SS, (size - 3) * SS - 1,
                                           (size - 3) * SS - 1), radius=5 * SS, fill=255)
    fill = big.reduce(SS)
    ring_big = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(ring_big).rounded_rectangle(
        (3 * SS, 3 * SS, (size - 3) * SS - 1, (size - 3) * SS - 1), radius=5 * SS,
        outline=255, width=2 * SS)
    ring = ring_big.reduce(SS)
    colour = (60, 200, 110)
    layer = Image.new("RGBA", (size, size), colour + (0,))
    layer.putalpha(fill.point(lambda v: int(v * 0.38)))
    image.alpha_composite(layer)
    rim = Image.new("RGBA", (size, size), (150, 255, 170, 0))
    rim.putalpha(ring.point(lambda v: int(v * 0.85)))
    image.alpha_composite(rim)
    return image


SIMPLE_HELP = ("Left click one of your pieces", "to select it, then a lit square",
               "to move there.", "", "Right click: cancel", "U or Backspace: take back",
               "R: replay    M: sound on/off", "Esc: quit")
STANDARD_HELP = ("Left click a piece on the board", "or in hand, then a lit square.",
                 "Right click: cancel", "U or Backspace: take back",
                 "R: replay    M: sound on/off", "N twice: new game    H: hint",
                 "G twice: resign    P: pause", "D twice: declare impasse",
                 "E: restart engine    Esc: quit")

# The game's hand slots (src/game/geometry.h): Blue's stand right of the board, level with
# its back ranks; Red's left of the board, from the top.
HAND_SLOT = (50, 56)
BLUE_STAND = (600, 488, 800, 600)
RED_STAND = (4, 48, 60, 48 + 7 * 56)


def piece_stand(image, box, seed):
    """A wooden stand for the pieces in hand, lower and darker than the board."""
    left, top, right, bottom = box
    width, height = right - left, bottom - top
    grain = wood(width, height, seed, (186, 134, 70), (140, 94, 42), 20, waviness=1.2,
                 vertical=width < height)
    mask = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, width * SS - 1, height * SS - 1),
                                           radius=4 * SS, fill=255)
    mask = mask.reduce(SS)
    shade = Image.new("L", image.size, 0)
    ImageDraw.Draw(shade).rounded_rectangle((left + 3, top + 5, right + 3, bottom + 5), radius=4,
                                            fill=170)
    paint(image, shade.filter(ImageFilter.GaussianBlur(5)), (4, 5, 8))
    image.paste(grain, (left, top), mask)
    rim = ImageChops.subtract(mask, mask.filter(ImageFilter.MinFilter(3)))
    paint(image, rim, (60, 36, 16), (left, top), opacity=0.7)


def background_picture(help_lines=SIMPLE_HELP, standard=False):
    image = vertical_gradient((WINDOW_W, WINDOW_H), (38, 44, 56), (20, 23, 30))
    # A vignette keeps the eye on the board.
    glow = Image.new("L", (WINDOW_W // 4, WINDOW_H // 4), 0)
    ImageDraw.Draw(glow).ellipse((0, 10, 150, 150), fill=60)
    glow = glow.filter(ImageFilter.GaussianBlur(30)).resize((WINDOW_W, WINDOW_H), Image.BICUBIC)
    paint(image, glow, (70, 80, 96))

    # The board's shadow and its front edge, so that the board appears to stand on a table.
    shadow = Image.new("L", (WINDOW_W, WINDOW_H), 0)
    ImageDraw.Draw(shadow).rectangle((BOARD_X + 6, BOARD_Y + 10, BOARD_X + BOARD_SIZE + 8,
                                      BOARD_Y + BOARD_SIZE + 18), fill=200)
    paint(image, shadow.filter(ImageFilter.GaussianBlur(8)), (4, 5, 8))
    front = wood(BOARD_SIZE, 12, 12, (168, 112, 50), (120, 76, 30), 34, vertical=True)
    front = Image.blend(front, vertical_gradient(front.size, (140, 92, 40), (70, 42, 18)), 0.5)
    image.paste(front, (BOARD_X, BOARD_Y + BOARD_SIZE))

    # Coordinates as a player at the bottom reads them: files 9 to 1 above, ranks down
    # the right edge.
    coordinate = (196, 184, 160)
    for column in range(9):
        draw_text(image, (BOARD_X + SQUARE * column + SQUARE / 2, BOARD_Y / 2 + 1),
                  str(9 - column), "bold", 20, coordinate, anchor="mm")
    ranks = "一二三四五六七八九"
    for row in range(9):
        glyph = glyph_mask(ranks[row], "bold", 18 * SS).reduce(SS)
        cx = BOARD_X + BOARD_SIZE + 16
        cy = BOARD_Y + SQUARE * row + SQUARE // 2
        paint(image, glyph, coordinate, (round(cx - glyph.width / 2), round(cy - glyph.height / 2)))

    # The side panel: how to play, and the name of the game where the hands leave room.
    help_colour = (150, 156, 170)
    y = 306 if standard else 310
    for line in help_lines:
        if line:
            draw_text(image, (616, y), line, "regular", 12, help_colour)
        y += 19
    if standard:
        piece_stand(image, BLUE_STAND, 31)
        piece_stand(image, RED_STAND, 32)
    else:
        title = glyph_mask("将棋", "brush", 56 * SS).reduce(SS)
        paint(image, title, (120, 104, 80), (700 - title.width // 2, 500), opacity=0.8)
        draw_text(image, (700, 482), "Ixo", "bold", 16, (120, 104, 80), anchor="mm")
    return dither(image, 21, 3)


def square_light(size, colour, fill_opacity, rim_colour, rim_opacity):
    """A rounded, translucent mark of one square or slot."""
    width, height = size
    image = Image.new("RGBA", size, (0, 0, 0, 0))
    box = (3 * SS, 3 * SS, (width - 3) * SS - 1, (height - 3) * SS - 1)
    big = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle(box, radius=5 * SS, fill=255)
    layer = Image.new("RGBA", size, colour + (0,))
    layer.putalpha(big.reduce(SS).point(lambda v: int(v * fill_opacity)))
    image.alpha_composite(layer)
    if rim_opacity:
        ring = Image.new("L", (width * SS, height * SS), 0)
        ImageDraw.Draw(ring).rounded_rectangle(box, radius=5 * SS, outline=255, width=2 * SS)
        rim = Image.new("RGBA", size, rim_colour + (0,))
        rim.putalpha(ring.reduce(SS).point(lambda v: int(v * rim_opacity)))
        image.alpha_composite(rim)
    return image


def last_move_picture():
    """The squares of the last move: a warm tint, so they read under the green highlights."""
    return square_light((SQUARE, SQUARE), (236, 168, 48), 0.42, (255, 214, 120), 0.55)


def hint_picture():
    """The two squares of a hint: a cool blue with a bright rim, unlike the warm last move and
    the green destinations, since it may lie on either."""
    return square_light((SQUARE, SQUARE), (70, 140, 255), 0.30, (150, 200, 255), 1.0)


def check_picture():
    """A red glow round the king in check."""
    size = SQUARE
    big = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(big).ellipse((6 * SS, 6 * SS, (size - 6) * SS, (size - 6) * SS), fill=255)
    glow = big.filter(ImageFilter.GaussianBlur(4 * SS)).reduce(SS)
    image = Image.new("RGBA", (size, size), (236, 36, 24, 0))
    image.putalpha(glow.point(lambda v: int(v * 0.80)))
    ring = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(ring).rounded_rectangle((2 * SS, 2 * SS, (size - 2) * SS - 1,
                                            (size - 2) * SS - 1), radius=6 * SS, outline=255,
                                           width=4 * SS)
    rim = Image.new("RGBA", (size, size), (255, 70, 50, 0))
    rim.putalpha(ring.reduce(SS))
    image.alpha_composite(rim)
    return image


def promotion_picture():
    """The plaque of the choice to promote: two squares, the promoted piece goes on the left."""
    width, height = 2 * SQUARE, SQUARE
    image = vertical_gradient((width, height), (58, 50, 44), (26, 22, 20)).convert("RGBA")
    lines = Image.new("L", (width * SS, height * SS), 0)
    draw = ImageDraw.Draw(lines)
    draw.rectangle((0, 0, width * SS - 1, height * SS - 1), outline=255, width=2 * SS)
    draw.rectangle((SQUARE * SS - SS // 2, 4 * SS, SQUARE * SS + SS // 2, (height - 4) * SS),
                   fill=255)
    paint(image, lines.reduce(SS), (226, 186, 96))
    return dither(image, 41, 2)


COUNT_CELL = (18, 16)


def counts_picture(side):
    """Badges for 2 to 18 pieces of a kind in hand, side by side; Red's each turned round."""
    cw, ch = COUNT_CELL
    strip = Image.new("RGBA", (cw * 17, ch), (0, 0, 0, 0))
    for count in range(2, 19):
        cell = Image.new("RGBA", (cw, ch), (0, 0, 0, 0))
        badge = Image.new("L", (cw * SS, ch * SS), 0)
        ImageDraw.Draw(badge).rounded_rectangle((0, 0, cw * SS - 1, ch * SS - 1), radius=5 * SS,
                                                fill=255)
        paint(cell, badge.reduce(SS), (24, 20, 18), opacity=0.85)
        draw_text(cell, (cw / 2, ch / 2 + 0.5), str(count), "bold", 12, (250, 240, 220),
                  anchor="mm")
        if side == RED:
            cell = cell.transpose(Image.ROTATE_180)
        strip.alpha_composite(cell, ((count - 2) * cw, 0))
    return strip


ENDINGS = {
    # file name: (title for a winner, Japanese, whether it is a draw)
    "checkmate": ("Checkmate", "詰み"),
    "resignation": ("{loser} resigns", "投了"),
    "repetition": ("Fourfold repetition", "千日手"),
    "perpetual-check": ("Perpetual check by {loser}", "連続王手の千日手"),
    "impasse": ("{winner} declares impasse", "入玉宣言"),
    "failed-impasse": ("{loser}'s declaration fails", "宣言失敗"),
    "illegal-move": ("Illegal move by {loser}", "反則負け"),
    "time-up": ("{loser} ran out of time", "時間切れ"),
}
BANNER = (392, 132)


def banner_picture(ending, winner):
    """The end of the game over the middle of the board: how, who won, and what next."""
    width, height = BANNER
    title, japanese = ENDINGS[ending]
    names = {BLUE: "Blue", RED: "Red"}
    if winner is None:
        verdict, frame = "A draw", (210, 196, 160)
        title = title.format(winner="", loser="")
    else:
        loser = RED if winner == BLUE else BLUE
        title = title.format(winner=names[winner], loser=names[loser])
        verdict, frame = f"{names[winner]} wins", SIDE[winner]["frame"]
    image = vertical_gradient((width, height), (40, 34, 30), (18, 15, 14)).convert("RGBA")
    mask = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, width * SS - 1, height * SS - 1),
                                           radius=10 * SS, fill=255)
    alpha = mask.reduce(SS).point(lambda v: int(v * 0.94))
    rim = Image.new("L", (width * SS, height * SS), 0)
    ImageDraw.Draw(rim).rounded_rectangle((SS, SS, (width - 1) * SS - 1, (height - 1) * SS - 1),
                                          radius=9 * SS, outline=255, width=3 * SS)
    paint(image, rim.reduce(SS), frame)
    draw_text(image, (width / 2, 30), japanese, "bold", 22, (240, 226, 190), anchor="mm")
    draw_text(image, (width / 2, 62), title, "bold", 17, (246, 238, 220), anchor="mm")
    draw_text(image, (width / 2, 90), verdict, "bold", 19, frame, anchor="mm")
    draw_text(image, (width / 2, 116), "U: take back     N twice: new game", "regular", 11,
              (180, 172, 156), anchor="mm")
    image = dither(image, 50 + len(ending) + (0 if winner is None else winner + 1), 2)
    image.putalpha(alpha)
    return image


# ----------------------------------------------------------------------------------------
# Cards


def move_diagram(code, side, cell):
    """A 5 x 5 diagram of the piece's moves, forward being the side's own forward: up the
    screen for Blue, down it for Red."""
    steps, rays = MOVES[code]
    flip = -1 if side == RED else 1
    size = 5 * cell
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    grid = Image.new("L", (size * SS, size * SS), 0)
    draw = ImageDraw.Draw(grid)
    for k in range(6):
        p = min(k * cell * SS, size * SS - SS)
        draw.rectangle((p, 0, p + SS - 1, size * SS - 1), fill=255)
        draw.rectangle((0, p, size * SS - 1, p + SS - 1), fill=255)
    paint(image, grid.reduce(SS), (200, 190, 170), opacity=0.45)

    marks = Image.new("L", (size * SS, size * SS), 0)
    draw = ImageDraw.Draw(marks)

    def centre(dx, dy):
        return ((2 + dx) * cell * SS + cell * SS / 2, (2 + dy * flip) * cell * SS + cell * SS / 2)

    radius = cell * SS * 0.22
    for dx, dy in steps:
        cx, cy = centre(dx, dy)
        draw.ellipse((cx - radius, cy - radius, cx + radius, cy + radius), fill=255)
    for dx, dy in rays:
        sx, sy = centre(dx * 0.55, dy * 0.55)
        ex, ey = centre(dx * 2.3, dy * 2.3)
        draw.line((sx, sy, ex, ey), fill=255, width=round(cell * SS * 0.14))
        # Arrow head: the ray goes on to the edge of the board.
        length = math.hypot(ex - sx, ey - sy)
        ux, uy = (ex - sx) / length, (ey - sy) / length
        head = cell * SS * 0.38
        tip = (ex + ux * head * 0.5, ey + uy * head * 0.5)
        base = (ex - ux * head * 0.5, ey - uy * head * 0.5)
        draw.polygon([tip, (base[0] - uy * head * 0.55, base[1] + ux * head * 0.55),
                      (base[0] + uy * head * 0.55, base[1] - ux * head * 0.55)], fill=255)
    paint(image, marks.reduce(SS), (250, 214, 120))

    # The piece itself in the middle, pointing the way it moves.
    family = PIECES[code][0]
    pw, ph = PIECE_SIZES[family]
    scale = cell * 0.92 / 52
    small = piece_picture(code, side, 2 * round(pw * scale / 2), round(ph * scale),
                          turned=side == RED, carved=False)
    image.alpha_composite(small, (2 * cell + (cell - small.width) // 2,
                                  2 * cell + (cell - small.height) // 2))
    return image


def card_picture(code, side):
    colours = SIDE[side]
    family, _, promoted, english, japanese, reading, description = PIECES[code]
    if code == 14:
        japanese, reading = KING_NAME[side]
    image = vertical_gradient((CARD_W, CARD_H), colours["card_top"], colours["card_bottom"])
    image = image.convert("RGBA")

    frame = Image.new("L", (CARD_W * SS, CARD_H * SS), 0)
    draw = ImageDraw.Draw(frame)
    draw.rectangle((0, 0, CARD_W * SS - 1, CARD_H * SS - 1), outline=255, width=3 * SS)
    paint(image, frame.reduce(SS), colours["frame"])
    fine = Image.new("L", (CARD_W * SS, CARD_H * SS), 0)
    ImageDraw.Draw(fine).rectangle((6 * SS, 6 * SS, (CARD_W - 6) * SS - 1, (CARD_H - 6) * SS - 1),
                                   outline=255, width=SS)
    paint(image, fine.reduce(SS), (200, 170, 100), opacity=0.6)

    # Top left: the Japanese name. Below it stays plain: the game writes the side's name
    # at (50, 50) of the card.
    draw_text(image, (16, 12), japanese, "bold", 22, (240, 232, 214))
    draw_text(image, (16, 98), reading, "regular", 13, (200, 192, 176))

    # Top right: the piece itself, large and upright so its character reads easily.
    pw, ph = PIECE_SIZES[family]
    big_w = 2 * round(pw * 1.78 / 2)
    big = piece_picture(code, side, big_w, round(ph * 1.78), turned=False)
    image.alpha_composite(big, (CARD_W - 14 - big.width + (92 - big.width) // 2,
                                14 + (96 - big.height)))

    divider = Image.new("L", (CARD_W, 1), 255)
    paint(image, divider, (200, 170, 100), (0, 122), opacity=0.5)
    draw_text(image, (CARD_W / 2, 138), english, "bold", 16, (246, 238, 220), anchor="mm")
    y = 156
    for line in wrap(description, "regular", 11, CARD_W - 28):
        draw_text(image, (CARD_W / 2, y), line, "regular", 11, (206, 198, 182), anchor="mt")
        y += 15

    # The diagram fills what the text leaves, above the frame.
    cell = 20
    diagram = move_diagram(code, side, cell)
    room_top, room_bottom = y + 2, CARD_H - 10
    image.alpha_composite(diagram, ((CARD_W - diagram.width) // 2,
                                    room_top + (room_bottom - room_top - diagram.height) // 2))
    return dither(image, 100 + code * 2 + side, 2)


# ----------------------------------------------------------------------------------------
# Output


def save_png(image, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # No text chunks and no time: the same picture gives the same bytes.
    image.save(path, "PNG", optimize=False, compress_level=9)


def save_jpeg(image, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.convert("RGB").save(path, "JPEG", quality=92, subsampling=0, optimize=True,
                              progressive=False)


def build(out):
    """Writes every picture under `out` and returns their paths relative to it."""
    written = []

    def png(image, name):
        save_png(image, os.path.join(out, name))
        written.append(name)

    def jpeg(image, name):
        save_jpeg(image, os.path.join(out, name))
        written.append(name)

    jpeg(background_picture(), "bg.jpg")
    jpeg(board_picture(), "board.jpg")
    png(shadow_picture(BLUE), "kageb.png")
    png(shadow_picture(RED), "kager.png")
    png(highlight_picture(), "hikari.png")
    # The standard rules' pictures, which the simple game never loads.
    jpeg(background_picture(STANDARD_HELP, standard=True), "bg-standard.jpg")
    png(last_move_picture(), "last-move.png")
    png(check_picture(), "check.png")
    png(hint_picture(), "hint.png")
    png(square_light(HAND_SLOT, (60, 200, 110), 0.38, (150, 255, 170), 0.85), "hand-light.png")
    png(promotion_picture(), "promotion.png")
    png(counts_picture(BLUE), "counts-1p.png")
    png(counts_picture(RED), "counts-2p.png")
    for ending in ENDINGS:
        winners = (None,) if ending == "repetition" else (BLUE, RED)
        for winner in winners:
            name = {None: "draw", BLUE: "blue", RED: "red"}[winner]
            png(banner_picture(ending, winner), f"banner/{ending}-{name}.png")
    for side in (BLUE, RED):
        for code in range(1, 15):
            width, height = piece_size(code)
            png(piece_picture(code, side, width, height, turned=side == RED),
                f"team/sample/{SIDE_DIRS[side]}/{code:02d}.png")
            png(card_picture(code, side), f"team/sample/{SIDE_DIRS[side]}cg/{code:02d}.png")
    return written


def check_fresh_drawing(build_into, out, what):
    """Redraws with `build_into` in a temporary folder and compares byte for byte with `out`,
    so a changed routine or font shows up before the committed files go stale; 0 if all match."""
    with tempfile.TemporaryDirectory() as scratch:
        names = build_into(scratch)
        differing = [name for name in names
                     if not os.path.exists(os.path.join(out, name))
                     or not filecmp.cmp(os.path.join(scratch, name),
                                        os.path.join(out, name), shallow=False)]
    if differing:
        print("differ from a fresh drawing: " + ", ".join(differing))
        return 1
    print(f"all {len(names)} {what} match a fresh drawing")
    return 0


def preview(out, path):
    """The start position laid out with the game's own geometry, for a look without the game."""
    start = [7, 9, 11, 13, 14, 13, 11, 9, 7, 0, 5, 0, 0, 0, 0, 0, 3, 0] + [1] * 9
    rows = start + [0] * 27 + [1] * 9 + [0, 3, 0, 0, 0, 0, 0, 5, 0] + [7, 9, 11, 13, 14, 13,
                                                                            11, 9, 7]
    screen = Image.open(os.path.join(out, "bg.jpg")).convert("RGBA")
    card = Image.open(os.path.join(out, "team/sample/1pcg/01.png"))
    screen.alpha_composite(card, (WINDOW_W - card.width, 0))
    screen.alpha_composite(Image.open(os.path.join(out, "board.jpg")).convert("RGBA"),
                           (BOARD_X, BOARD_Y))
    light = Image.open(os.path.join(out, "hikari.png"))
    screen.alpha_composite(light, (BOARD_X + SQUARE * 4, BOARD_Y + SQUARE * 5))
    shadows = {BLUE: Image.open(os.path.join(out, "kageb.png")),
               RED: Image.open(os.path.join(out, "kager.png"))}
    for index, code in enumerate(rows):
        if code:
            column, row = index % 9, index // 9
            side = RED if row <= 2 else BLUE
            shadow = shadows[side]
            screen.alpha_composite(shadow, (68 + SQUARE * column,
                                            98 + SQUARE * row - shadow.height // 2))
    for index, code in enumerate(rows):
        if code:
            column, row = index % 9, index // 9
            side = RED if row <= 2 else BLUE
            piece = Image.open(os.path.join(out, f"team/sample/{SIDE_DIRS[side]}/{code:02d}.png"))
            screen.alpha_composite(piece, (92 + SQUARE * column - piece.width // 2,
                                           100 + SQUARE * row - piece.height))
    draw_text(screen, (LABEL_X + 1, LABEL_Y + 2), "Blue", "bold", 15, (0, 0, 0))
    draw_text(screen, (LABEL_X, LABEL_Y + 1), "Blue", "bold", 15, (255, 255, 255))
    screen.convert("RGB").save(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(REPO, "image"))
    parser.add_argument("--check", action="store_true",
                        help="redraw into a temporary folder and compare with --out")
    parser.add_argument("--preview", metavar="FILE")
    args = parser.parse_args()
    if args.check:
        return check_fresh_drawing(build, args.out, "pictures")
    names = build(args.out)
    print(f"wrote {len(names)} pictures under {args.out}")
    if args.preview:
        preview(args.out, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
