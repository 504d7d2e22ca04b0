#!/usr/bin/python3
"""The game played as a player plays it: a real window, real mouse and keyboard events.

Usage: game_e2e.py --game BIN --images DIR --sounds DIR --font PNG --artifacts DIR SCENARIO

Each scenario starts its own X server and game and checks what the window shows against
frames composed from the picture files (frame_model). When a scenario fails, every
screenshot it took is written to ARTIFACTS/SCENARIO/ next to the frame it expected and a
mask of the pixels that differ.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

import e2e_ready

e2e_ready.or_skip()

from PIL import Image, ImageChops
from Xlib import X, XK

import frame_model as model
from frame_model import BISHOP, BLUE, PAWN, PROMOTED_BISHOP, PROMOTED_PAWN, RED, SILVER
from xsession import GameSession, SessionTimeout

CAPTION = b"Ixo\xe5\xb0\x86\xe6\xa3\x8b"
BACKGROUND_SPOT = (700, 400)  # right of the board, clear of the label and the portrait


class Check:
    """Compares screenshots with expected frames and keeps both for the failure report."""

    def __init__(self, session, pictures):
        self.session = session
        self.pictures = pictures
        self.frames = []

    def screen_shows(self, scene, what, shot=None, outside=None, skip=()):
        wrong, total = self._compare(scene, what, shot, outside, skip)
        if wrong:
            raise AssertionError(f"{what}: the window does not show what it should "
                                 f"({total} pixels differ): " + "; ".join(wrong))

    def screen_comes_back(self, scene, what, timeout=5.0, skip=()):
        """Like screen_shows, but allows the game a few frames to repaint the window."""
        deadline = time.monotonic() + timeout
        while True:
            wrong, total = self._compare(scene, what, skip=skip)
            if not wrong:
                return
            if time.monotonic() >= deadline:
                raise AssertionError(f"{what}: the window is not whole again "
                                     f"({total} pixels differ): " + "; ".join(wrong))
            self.session.forget_frames()
            try:
                self.session.wait_frames(1, timeout=0.2)
            except SessionTimeout:
                pass  # no frame yet; look again

    def _compare(self, scene, what, shot=None, outside=None, skip=()):
        """`outside`, a box, is left out of the comparison: what is drawn there is checked
        on its own; so are the regions named in `skip`."""
        shot = shot or self.session.screenshot(what)
        expected = model.render(self.pictures, scene)
        mask = model.mismatch_mask(shot, expected)
        if outside is not None:
            mask.paste(0, outside)
        self.frames.append((what, shot, expected, mask))
        label = model.SIDE_NAMES[scene.turn]
        standard = isinstance(scene, model.StandardScene)
        # A marked square (the last move's tint, the glow of a king in check) stacks three
        # translucent layers under the piece's soft edge; SDL 2's 16-bit blender rounds them
        # a step apart from classic SDL's at a few edge pixels. A missing or misplaced mark
        # still differs in hundreds.
        marked = set()
        if standard:
            squares = list(scene.last_move)
            if scene.checked is not None:
                squares.append(scene.checked)
            marked = {f"square ({column},{row})" for column, row in squares}
        wrong = []
        for name, box in model.regions(label, standard):
            if name in skip:
                continue
            count = model.count_mismatches(mask, box)
            area = (box[2] - box[0]) * (box[3] - box[1])
            # A right frame differs nowhere; the slack of two pixels only keeps a single
            # rounding quirk from being reported as a wrong picture.
            if count > (16 if name in marked else 2):
                wrong.append(f"{name}: {count} of {area} pixels")
        return wrong, model.count_mismatches(mask)

    def save(self, folder, screen=None):
        """Writes every frame compared so far, and `screen`, the whole screen at the end."""
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        if screen is not None:
            screen.save(os.path.join(folder, "screen-at-failure.png"))
        for index, (what, shot, expected, mask) in enumerate(self.frames):
            stem = os.path.join(folder, f"{index:02d}-" + "".join(
                ch if ch.isalnum() else "-" for ch in what)[:60])
            shot.save(stem + "-screen.png")
            expected.save(stem + "-expected.png")
            mask.save(stem + "-differs.png")
        # Screenshots taken outside a comparison (if any) are kept as well.
        compared = {id(frame[1]) for frame in self.frames}
        for index, (what, shot) in enumerate(self.session.shots):
            if id(shot) not in compared:
                shot.save(os.path.join(folder, f"extra-{index:02d}.png"))


def check_window(session):
    window = session.window
    caption = window.property_bytes("_NET_WM_NAME", session.dpy.intern_atom("UTF8_STRING"))
    if caption != CAPTION:
        raise AssertionError(f"caption is {caption!r}, expected {CAPTION!r}")
    legacy = window.property_bytes("WM_NAME", X.AnyPropertyType)
    if legacy is None or not legacy.startswith(b"Ixo"):
        raise AssertionError(f"WM_NAME is {legacy!r}, expected it to start with Ixo")
    for what, size in (("window", window.outer_size), ("drawing area", (window.width,
                                                                        window.height))):
        if size != model.WINDOW:
            raise AssertionError(f"{what} is {size[0]} x {size[1]}, expected 800 x 600")


def expect_exit_zero(session, how):
    status = session.wait_exit()
    if status != 0:
        raise AssertionError(f"the game exited with status {status} after {how}\n"
                             f"{session.game_output()}")


def click_square(session, column, row, button=1, changes=True, quick=False):
    session.click(*model.square_centre(column, row), button=button, changes=changes,
                  quick=quick)


# -- scenarios -----------------------------------------------------------------------------


def scenario_escape(session, check):
    check_window(session)
    check.screen_shows(model.Scene(), "start position, Blue to move")
    session.press_escape()
    expect_exit_zero(session, "Escape")


def scenario_close_request(session, check):
    check_window(session)
    check.screen_shows(model.Scene(), "start position, Blue to move")
    session.request_close()
    expect_exit_zero(session, "a WM_DELETE_WINDOW request")


def scenario_no_pictures(session, check):
    check_window(session)
    # With nothing to draw but the label, the rest of the window stays black, and clicks
    # on pieces nobody can see still must not bring down the program.
    check.screen_shows(model.Scene(), "no pictures: only the label")
    # Without pictures a selection changes no pixel, so no part of the window is sent again.
    click_square(session, 4, 6, changes=False)
    selected = model.Scene(selected=(4, 6), highlights=[(4, 5)])
    check.screen_shows(selected, "no pictures: a pawn selected, nothing to show for it")
    # The same portrait asked for again must not be reported again.
    session.click(*model.square_centre(4, 4), button=3, changes=False)
    click_square(session, 4, 6, changes=False)
    check.screen_shows(selected, "no pictures: the pawn selected once more")
    session.press_escape()
    expect_exit_zero(session, "Escape without pictures")
    expect_picture_reports(session, FIXED_PICTURES + ["team/sample/1pcg/01.png"])


def expect_picture_reports(session, missing):
    """The game's stderr names each missing picture once, with a reason, then the folder."""
    with open(session.stdout_path, errors="replace") as log:
        lines = log.read().splitlines()
    for path in missing:
        prefix = f"ixo-shogi: cannot load the picture ../image/{path}: "
        reports = [line for line in lines if line.startswith(prefix)]
        if len(reports) != 1 or len(reports[0]) == len(prefix):
            raise AssertionError(f"expected one report with a reason for {path}, got "
                                 f"{reports}\n{session.game_output()}")
    folder = os.path.join(os.path.realpath(session.tmp), "image") + "/"
    hint = [line for line in lines if "found none of the game's pictures" in line]
    if len(hint) != 1 or folder not in hint[0] or "ixo-shogi command" not in hint[0]:
        raise AssertionError(f"expected one line naming {folder} and how to start the game, "
                             f"got {hint}\n{session.game_output()}")


class Game:
    """The scripted game: the expected scene moves along with the clicks."""

    def __init__(self, session, check):
        self.session = session
        self.check = check
        self.scene = model.Scene()
        # Regions the frame model does not draw, checked on their own by the scenario.
        self.skip = ()

    def shows(self, what):
        self.check.screen_shows(self.scene, what, skip=self.skip)

    def select(self, square, destinations, what, check_press=False, quick=False):
        # The game acts on releases only: with the button still down nothing may show yet.
        held = (lambda: self.shows(f"{what}: button still down")) if check_press else None
        self.session.click(*model.square_centre(*square), while_held=held, quick=quick)
        self.scene.selected = square
        self.scene.highlights = set(destinations)
        self.shows(what)

    def cancel(self, what):
        self.session.click(*model.square_centre(4, 4), button=3)
        self.scene.selected = None
        self.scene.highlights = set()
        self.shows(what)

    def move(self, destination, what, becomes=None, quick=False):
        origin = self.scene.selected
        piece, owner = self.scene.board.pop(origin)
        self.scene.board[destination] = (becomes or piece, owner)
        click_square(self.session, *destination, quick=quick)
        self.scene.selected = None
        self.scene.highlights = set()
        self.scene.turn = RED if self.scene.turn == BLUE else BLUE
        self.shows(what)

    def play(self, origin, destination, what):
        """Selects and moves in one go, checking only the position it leads to."""
        click_square(self.session, *origin)
        self.scene.selected = origin
        self.move(destination, what)

    def key(self, keysym, scene, what):
        """A key press that brings `scene` to the screen."""
        self.session.forget_frames()
        self.session.key(keysym)
        self.session.wait_frames(1, what=f"the frame showing the key press ({what})")
        self.scene = scene.copy()
        self.shows(what)

    def ignores(self, what, square=None, at=None):
        """A click that must leave everything as it was."""
        if square is not None:
            click_square(self.session, *square, changes=False)
        else:
            self.session.click(*at, changes=False)
        self.shows(what)


def scenario_scripted_game(session, check):
    check_window(session)
    game = Game(session, check)
    game.shows("start position, Blue to move")

    # Nothing may react to clicks that are not the side to move picking a movable piece.
    game.ignores("Blue clicks a Red pawn", square=(4, 2))
    game.ignores("Blue clicks an empty square", square=(4, 4))
    session.click(*model.square_centre(4, 2), changes=False, quick=True)
    game.shows("Blue taps a Red pawn")
    game.ignores("Blue clicks the background beside the board", at=BACKGROUND_SPOT)
    game.ignores("Blue clicks its knight, which has no move", square=(1, 8))
    game.ignores("Blue clicks its bishop, boxed in by its own pieces", square=(1, 7))

    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2", check_press=True)
    game.cancel("a right click cancels the selection")
    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2 again")
    game.ignores("with the pawn selected, a click on an unlit square", square=(2, 4))
    game.ignores("with the pawn selected, a click on another Blue pawn", square=(3, 6))
    game.move((2, 5), "Blue's pawn steps forward; the label turns to Red")

    # Red plays on the flipped board: clicks on screen row r act on its row 8 - r, and its
    # pawn's destination must still be lit below it on the screen.
    game.ignores("Red clicks a Blue pawn", square=(2, 5))
    # Press and release with no pause between them, as a touchpad tap or `xdotool click`
    # sends them: both reach the game between two of its passes and still make a click.
    game.select((6, 2), [(6, 3)], "Red selects its pawn in column 6", quick=True)
    game.move((6, 3), "Red's pawn steps forward, opening both bishops' diagonal", quick=True)

    game.select((1, 7), [(2, 6), (3, 5), (4, 4), (5, 3), (6, 2), (7, 1)],
                "Blue selects its bishop: the open diagonal is lit")
    game.move((7, 1), "Blue's bishop takes Red's bishop and is promoted",
              becomes=PROMOTED_BISHOP)

    game.select((6, 0), [(5, 1), (6, 1), (7, 1)], "Red selects its silver")
    game.move((7, 1), "Red's silver takes the promoted bishop, unpromoted outside its zone")

    # A Red pawn marches into Blue's camp: capture and promotion in Red's own frame.
    game.select((8, 6), [(8, 5)], "Blue selects its pawn in column 8")
    game.move((8, 5), "Blue's pawn steps forward")
    game.select((6, 3), [(6, 4)], "Red selects its advanced pawn")
    game.move((6, 4), "Red's pawn steps to row 4")
    game.select((8, 5), [(8, 4)], "Blue selects its pawn in column 8")
    game.move((8, 4), "Blue's pawn steps to row 4")
    game.select((6, 4), [(6, 5)], "Red selects its pawn again")
    game.move((6, 5), "Red's pawn steps to row 5")
    game.select((0, 6), [(0, 5)], "Blue selects its pawn in column 0")
    game.move((0, 5), "Blue's pawn steps forward")
    game.select((6, 5), [(6, 6)], "Red selects the pawn facing Blue's line")
    game.move((6, 6), "Red's pawn takes a Blue pawn and is promoted", becomes=PROMOTED_PAWN)

    # Escape must end the program even with a piece in hand.
    game.select((4, 6), [(4, 5)], "Blue selects its centre pawn")
    session.press_escape()
    expect_exit_zero(session, "Escape with a piece selected")


class StandardPlay(Game):
    """The scripted game under the standard rules; the expected scene follows each step,
    its hands, marks and questions written out here rather than worked out by the rules."""

    def __init__(self, session, check):
        super().__init__(session, check)
        self.scene = model.StandardScene()

    def _pass_turn(self):
        self.scene.selected = None
        self.scene.hand_pick = None
        self.scene.highlights = set()
        self.scene.choice = None
        self.scene.notice = ""
        self.scene.turn = RED if self.scene.turn == BLUE else BLUE

    def _arrive(self, origin, destination, becomes, checked):
        piece, owner = self.scene.board.pop(origin)
        taken = self.scene.board.get(destination)
        if taken is not None:
            kind = taken[0] - 1 if taken[0] in model.PROMOTED.values() else taken[0]
            self.scene.hands[owner][kind] = self.scene.hands[owner].get(kind, 0) + 1
        self.scene.board[destination] = (becomes or piece, owner)
        self.scene.last_move = [origin, destination]
        self.scene.checked = checked
        self._pass_turn()

    def move(self, destination, what, becomes=None, checked=None):
        origin = self.scene.selected
        click_square(self.session, *destination)
        self._arrive(origin, destination, becomes, checked)
        self.shows(what)

    def play(self, origin, lit, destination, what, checked=None):
        """Selects, checking the lit squares, and moves."""
        self.select(origin, lit, f"selected for the move: {what}")
        self.move(destination, what, checked=checked)

    def pick_from_hand(self, code, destinations, what):
        owner = self.scene.turn
        self.session.click(*model.hand_slot_centre(owner, code))
        self.scene.hand_pick = (owner, code)
        self.scene.selected = None
        self.scene.highlights = set(destinations)
        self.shows(what)

    def drop(self, destination, what, checked=None, banner=None):
        owner, code = self.scene.hand_pick
        click_square(self.session, *destination)
        self.scene.hands[owner][code] -= 1
        self.scene.board[destination] = (code, owner)
        self.scene.last_move = [destination]
        self.scene.checked = checked
        self._pass_turn()
        self.scene.banner = banner
        self.shows(what)

    def refused(self, square, reason, what):
        click_square(self.session, *square)
        self.scene.notice = reason
        self.shows(what)

    def reach_zone(self, destination, what):
        """A move that may promote or not: the game asks at the destination."""
        click_square(self.session, *destination)
        piece, owner = self.scene.board[self.scene.selected]
        self.scene.choice = destination + (piece, owner)
        self.scene.highlights = set()
        self.scene.notice = "Promote? Click the promoted or the unpromoted piece"
        self.shows(what)

    def answer(self, promote, what, checked=None):
        column, row, piece, owner = self.scene.choice
        left, top = model.promotion_choice(column, row)
        self.session.click(left + (28 if promote else 84), top + 28)
        self._arrive(self.scene.selected, (column, row),
                     model.PROMOTED[piece] if promote else None, checked)
        self.shows(what)


def scenario_standard_game(session, check):
    """Two players through a whole standard game: a refusal explained, a promotion declined
    and one accepted, check, a drop that mates, the mate taken back, and a new game."""
    game = StandardPlay(session, check)
    game.shows("standard rules: the start position with empty hands")
    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
    game.move((2, 5), "Blue's pawn steps forward; its squares are marked as the last move")
    game.play((3, 0), [(3, 1), (2, 1), (4, 1)], (2, 1), "Red's gold steps aside")
    game.play((6, 8), [(6, 7), (5, 7)], (5, 7), "Blue's silver steps up")
    game.play((2, 2), [(2, 3)], (2, 3), "Red's pawn steps forward")

    game.select((1, 7), [(2, 6), (3, 5), (4, 4), (5, 3), (6, 2)],
                "Blue selects its bishop: the open diagonal up to Red's pawn is lit")
    game.refused((1, 5), "The piece can't move like that",
                 "a click off the diagonal says why, and the bishop stays selected")
    game.reach_zone((6, 2), "the bishop takes a pawn in Red's camp: promote or not?")
    game.answer(False, "promotion declined: the bishop checks Red's king, a pawn in hand",
                checked=(4, 0))
    # The king may not step onto the bishop's diagonal.
    game.play((4, 0), [(3, 0), (3, 1), (4, 1)], (3, 0), "Red's king steps out of check")
    game.play((8, 8), [(8, 7)], (8, 7), "Blue's lance steps up")
    game.play((5, 2), [(5, 3)], (5, 3), "Red's pawn steps forward")
    game.select((6, 2), [(5, 1), (4, 0), (7, 1), (5, 3), (7, 3), (8, 4)],
                "Blue selects the bishop in Red's camp")
    game.reach_zone((5, 1), "the bishop goes on in Red's camp: asked again")
    game.answer(True, "promotion accepted: a horse")
    game.play((2, 3), [(2, 4)], (2, 4), "Red's pawn steps forward")
    game.play((3, 8), [(3, 7), (2, 7), (4, 7)], (4, 7), "Blue's gold steps up")
    game.play((3, 0), [(3, 1)], (3, 1), "Red's king steps forward, the only square the "
                                         "horse leaves it")
    game.play((5, 1), [(4, 0), (6, 0), (4, 2), (6, 2), (7, 3), (8, 4), (5, 0), (4, 1), (6, 1),
                       (5, 2)], (5, 0), "Blue's horse takes a gold: a gold in hand beside the "
                                        "pawn")
    game.play((3, 1), [(3, 0), (2, 2)], (3, 0), "Red's king steps back")

    empty = [(column, row) for row in range(9) for column in range(9)
             if (column, row) not in game.scene.board]
    before_mate = game.scene.copy()
    game.pick_from_hand(model.GOLD, empty, "Blue picks the gold in hand: every empty square "
                                           "is lit and the gold's card shows")
    game.drop((4, 1), "the gold dropped in front of Red's king mates it",
              checked=(3, 0), banner="checkmate-blue")
    game.refused((4, 4), "The game is over", "after the mate a click moves nothing")
    game.key(XK.XK_u, before_mate, "U takes the mate back: Blue to move, the gold in hand")

    asking = before_mate.copy()
    asking.notice = "Start a new game? Press N again to confirm"
    game.key(XK.XK_n, asking, "N asks before it starts a new game")
    session.forget_frames()
    session.key(XK.XK_n)
    session.wait_frames(1, what="N again: the new-game panel over the board")
    game.key(XK.XK_Return, model.StandardScene(),
             "Enter in the panel: a new game under the standard rules")
    session.press_escape()
    expect_exit_zero(session, "Escape in a new standard game")


# What SDL's disk audio driver writes: the mixed output, 16-bit stereo at 22050 Hz.
AUDIO_FILE = "audio.raw"
AUDIO_BYTES_PER_SECOND = 22050 * 2 * 2


def wait_audio(session, size, what, timeout=15.0):
    """The audio written so far, once there is at least `size` bytes of it."""
    deadline = time.monotonic() + timeout
    path = os.path.join(session.rundir, AUDIO_FILE)
    while not os.path.exists(path) or os.path.getsize(path) < size:
        if time.monotonic() > deadline:
            raise AssertionError(f"too little audio after {timeout:.0f} s waiting for {what}")
        session._ensure_running(f"while waiting for {what}")
        time.sleep(0.05)
    with open(path, "rb") as audio:
        return audio.read()


def scenario_sound(session, check):
    game = Game(session, check)
    wait_audio(session, AUDIO_BYTES_PER_SECOND // 4, "the audio device to start")
    game.select((2, 6), [(2, 5)], "Blue selects a pawn")
    game.cancel("a cancel")
    game.ignores("a refused click", square=(4, 4))
    game.select((2, 6), [(2, 5)], "Blue selects the pawn again")
    before = wait_audio(session, 0, "the audio so far")
    if before.count(0) != len(before):
        raise AssertionError("the audio before the first move is not all silence")
    game.move((2, 5), "Blue's pawn steps forward")
    # Half a second holds the whole knock; a stray click would be a handful of samples.
    after = wait_audio(session, len(before) + AUDIO_BYTES_PER_SECOND // 2, "the knock")
    samples = memoryview(after[len(before) // 2 * 2:len(after) // 2 * 2]).cast("h")
    loud = sum(1 for sample in samples if abs(sample) > 1000)
    if loud < 500:
        raise AssertionError(f"the move was not heard: {loud} loud samples of {len(samples)}")
    session.press_escape()
    expect_exit_zero(session, "Escape after a sounded move")


def scenario_no_audio_device(session, check):
    game = Game(session, check)
    game.select((2, 6), [(2, 5)], "Blue selects a pawn without a sound device")
    game.move((2, 5), "Blue's pawn steps forward, in silence")
    session.press_escape()
    expect_exit_zero(session, "Escape without a sound device")
    if session.game_output().count("could not open the audio device") != 1:
        raise AssertionError(f"expected one line about the audio device\n{session.game_output()}")


def recorded_moves(data_home):
    """The move lines of the one record in the games folder."""
    records = glob.glob(os.path.join(data_home, "ixo-shogi", "games", "*.kifu"))
    if len(records) != 1:
        raise AssertionError(f"expected one record, found {records}")
    with open(records[0], encoding="utf-8") as record:
        return [line.split()[1] for line in record if re.match(r"^\s*\d+ ", line)]


def scenario_take_back_and_continue(session, check):
    """Three moves, two taken back, one replayed: the record keeps all three, since nothing
    was played instead, and --continue goes on at the end of that line."""
    game = Game(session, check)
    positions = [game.scene.copy()]
    for origin, destination, what in (((2, 6), (2, 5), "Blue's pawn steps forward"),
                                      ((6, 2), (6, 3), "Red's pawn steps forward"),
                                      ((7, 6), (7, 5), "Blue's second pawn steps forward")):
        game.play(origin, destination, what)
        positions.append(game.scene.copy())
    # A piece in hand must not survive a take-back: the highlight would be in Red's frame.
    game.select((5, 2), [(5, 3)], "Red selects a pawn before taking back")
    game.key(XK.XK_u, positions[2], "U takes back Blue's last move; Red's pawn is unselected")
    game.key(XK.XK_BackSpace, positions[1], "Backspace takes back Red's move: Red to move")
    game.key(XK.XK_r, positions[2], "R replays Red's move: Blue to move")
    session.press_escape()
    expect_exit_zero(session, "Escape after the take-backs")
    moves = recorded_moves(session.data_home)
    if moves != ["７六歩(77)", "３四歩(33)", "２六歩(27)"]:
        raise AssertionError(f"the record holds {moves} after three moves, two taken back and "
                             "one replayed")

    again = GameSession(session.game, session.images, start=False, args=["--continue"],
                        data_home=session.data_home)
    # The same sounds as the first session, so the continued game loads them too.
    os.symlink(os.readlink(os.path.join(session.tmp, "sound")), os.path.join(again.tmp, "sound"))
    try:
        check.session = again
        again.start()
        check.screen_shows(positions[3], "--continue: the end of the game's line, after three "
                                         "moves, Red to move")
        # It goes on in the same record.
        continued = Game(again, check)
        continued.scene = positions[3].copy()
        continued.play((5, 2), (5, 3), "Red moves on in the continued game")
        again.press_escape()
        expect_exit_zero(again, "Escape in the continued game")
    finally:
        check.session = session
        again.close()
    moves = recorded_moves(session.data_home)
    if len(moves) != 4:
        raise AssertionError(f"the continued record holds {moves}")


KIF_RANKS = "一二三四五六七八九"


def kif_squares(line):
    """The screen squares of a KIF move such as ３四歩(33): (origin, destination)."""
    file = ord(line[0]) - ord("０")
    rank = KIF_RANKS.index(line[1]) + 1
    origin = re.search(r"\((\d)(\d)\)", line)
    return ((9 - int(origin.group(1)), int(origin.group(2)) - 1), (9 - file, rank - 1))


def wait_recorded(session, count, what, timeout=30.0):
    deadline = time.monotonic() + timeout
    while True:
        try:
            moves = recorded_moves(session.data_home)
        except AssertionError:
            moves = []
        if len(moves) >= count:
            return moves
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what}: the record holds {moves}\n{session.game_output()}")
        time.sleep(0.05)


def engine_children(pid):
    """The processes whose parent is `pid`."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[1]) == pid:
                found.append(int(entry))
    return found


def scenario_computer(session, check):
    """Against fairy-stockfish: the player's move shows at once with who is thinking, the
    engine's answer follows on the board and in the record, and Escape in the middle of a
    search ends the game and the engine."""
    game = StandardPlay(session, check)
    children = engine_children(session.process.pid)
    if len(children) != 1:
        raise AssertionError(f"the game runs {children} as children, not one engine")
    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
    click_square(session, 2, 5)
    game._arrive((2, 6), (2, 5), None, None)
    # The line under the board holds the engine's changing evaluation.
    check.screen_shows(game.scene, "Blue's move is on the board at once", skip=("under the board",))
    session.screenshot("the thinking line")
    moves = wait_recorded(session, 2, "the engine's answer")
    origin, destination = kif_squares(moves[1])
    game._arrive(origin, destination, None, None)
    check.screen_comes_back(game.scene, f"the engine's answer {moves[1]} is on the board")

    # Another move, and Escape while the engine thinks about it (level 10: 4 s a move).
    column = 7 if origin != (7, 2) else 6
    click_square(session, column, 6)
    click_square(session, column, 5)
    time.sleep(0.5)
    session.press_escape()
    expect_exit_zero(session, "Escape while the engine thinks")
    left = [pid for pid in children if os.path.exists(f"/proc/{pid}")]
    if left:
        raise AssertionError(f"the engine {left} outlived the game")


# The new-game panel: 720 pixels wide and centred, framed in the kaya of the board; its rows
# stand 44 pixels below its top and 40 apart, their cells 28 high from 128 pixels in.
PANEL_LEFT = 40
PANEL_KAYA = (220, 169, 90)
PANEL_CELL = {"standard": (214 + 49, 44 + 14), "computer is red": (264 + 84, 84 + 14)}


def panel_top(shot, what):
    """The panel's top edge in a screenshot, from the longest run of its frame's left edge."""
    best, run_start, best_start = 0, None, None
    for y in range(model.WINDOW[1]):
        pixel = shot.getpixel((PANEL_LEFT, y))[:3]
        if all(abs(a - b) <= 8 for a, b in zip(pixel, PANEL_KAYA)):
            run_start = y if run_start is None else run_start
            if y - run_start + 1 > best:
                best, best_start = y - run_start + 1, run_start
        else:
            run_start = None
    if best < 200:
        raise AssertionError(f"{what}: no panel frame on screen")
    return best_start


def open_panel(session, what, timeout=5.0):
    """N twice, the first asking; returns the screenshot once the panel is on screen."""
    session.forget_frames()
    session.key(XK.XK_n)
    session.wait_frames(1, what=f"N asks first ({what})")
    session.key(XK.XK_n)
    deadline = time.monotonic() + timeout
    while True:
        try:
            panel_top(session._capture(), what)
            return session.screenshot(what)
        except AssertionError:
            if time.monotonic() >= deadline:
                raise
            time.sleep(0.05)


def click_panel(session, shot, cell, what):
    """A click on a cell of the panel in `shot`, which must bring a frame."""
    x, y = PANEL_CELL[cell]
    session.click(PANEL_LEFT + x, panel_top(shot, what) + y)


def scenario_new_game_panel(session, check):
    """From the first start's two-player simple game, N twice opens the panel; the standard
    rules against the computer at level 1 are chosen with the mouse and the 1 key, and Enter
    starts that game, whose computer answers a clicked move. The choice is remembered."""
    check.screen_shows(model.Scene(), "the first start: simple rules, two players")
    shot = open_panel(session, "the panel over the simple board")
    click_panel(session, shot, "standard", "the standard rules chosen")
    click_panel(session, shot, "computer is red", "the computer chosen as Red")
    session.forget_frames()
    session.key(XK.XK_1)
    session.wait_frames(1, what="level 1 chosen")
    session.screenshot("the panel over the simple board, the standard game chosen")
    if len(engine_children(session.process.pid)) != 0:
        raise AssertionError("an engine runs before the game against it has started")

    game = StandardPlay(session, check)
    session.forget_frames()
    session.key(XK.XK_Return)
    session.wait_frames(1, what="Enter: the standard game against the computer")
    check.screen_comes_back(game.scene, "the chosen game: standard rules, Blue to move")
    if len(engine_children(session.process.pid)) != 1:
        raise AssertionError("the computer's engine did not start with the game chosen")

    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
    click_square(session, 2, 5)
    game._arrive((2, 6), (2, 5), None, None)
    moves = wait_recorded(session, 2, "the computer's answer to the clicked move")
    origin, destination = kif_squares(moves[1])
    game._arrive(origin, destination, None, None)
    check.screen_comes_back(game.scene, f"the computer's answer {moves[1]} is on the board")

    # Another N opens the panel over the standard board, on the game being played.
    open_panel(session, "the panel over the standard board")
    session.forget_frames()
    session.press_escape()
    session.wait_frames(1, what="Escape closes the panel")
    check.screen_comes_back(game.scene, "Escape: the game as it was")

    with open(os.path.join(session.config_home, "ixo-shogi", "last-game")) as remembered:
        text = remembered.read()
    for line in ("rules = standard", "opponent = computer-red", "level = 1", "clock = none"):
        if line not in text.splitlines():
            raise AssertionError(f"the remembered game lacks {line!r}:\n{text}")
    session.press_escape()
    expect_exit_zero(session, "Escape in the game chosen in the panel")


# The stand-in CSA server: it plays Red from its script and resigns when the script runs out.
FAKE_ANALYST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "analysis",
                            "fake_analyst.py")
FAKE_CSA_SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "net",
                               "fake_csa_server.py")
SERVER_PASSWORD = "e2e-secret"
# What the frame model does not draw: the server's clocks left of the board, the players'
# names in the panel and the server's line under the board, each checked on its own here.
SERVER_ONLY = ("left of the board", "right of the board", "under the board")


def start_fake_server(log, players=1):
    # Alone, it plays Red itself from a script; with two players it only pairs and relays.
    script = (["--moves=-3334FU", "--opponent", "Hanako", "--end", "%TORYO,#RESIGN,#WIN"]
              if players == 1 else ["--players", "2"])
    server = subprocess.Popen(
        ["/usr/bin/python3", FAKE_CSA_SERVER, "--charge", "2", "--password", SERVER_PASSWORD,
         "--log", log] + script,
        stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    line = server.stdout.readline()
    if not line.startswith("PORT "):
        server.kill()
        raise AssertionError(f"the stand-in server said {line!r}, not its port")
    return server, int(line.split()[1])


def server_lines(log):
    try:
        with open(log) as lines:
            return lines.read().splitlines()
    except OSError:
        return []


def wait_server_line(log, wanted, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while wanted not in server_lines(log):
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what}: the server received {server_lines(log)}")
        time.sleep(0.05)


def scenario_server(session, check):
    """A whole game on the stand-in server: our clicks go out, its moves come onto the board,
    and its resignation ends the game in the window and in the record, which holds the names,
    the game's ID and the server's times and never the password."""
    log = session.fake_server_log
    wait_server_line(log, "AGREE fake-game-1", "the game offered and agreed")
    game = StandardPlay(session, check)
    game.skip = SERVER_ONLY
    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
    click_square(session, 2, 5)
    game._arrive((2, 6), (2, 5), None, None)
    wait_server_line(log, "+7776FU", "the click went out")
    moves = wait_recorded(session, 2, "the server's answer")
    if moves[1] != "３四歩(33)":
        raise AssertionError(f"the server's answer is recorded as {moves[1]}")
    game._arrive((6, 2), (6, 3), None, None)
    check.screen_comes_back(game.scene, "the server's answer is on the board", skip=SERVER_ONLY)
    # Our second move, in one go.
    click_square(session, 7, 6)
    click_square(session, 7, 5)
    game._arrive((7, 6), (7, 5), None, None)
    wait_server_line(log, "+2726FU", "the second click went out")
    # The server's script has run out: it resigns, and the game shows it.
    game.scene.banner = "resignation-blue"
    check.screen_comes_back(game.scene, "the server resigned: Blue wins", skip=SERVER_ONLY)
    session.press_escape()
    expect_exit_zero(session, "Escape after the game")
    wait_server_line(log, "LOGOUT", "the game logged out")
    records = glob.glob(os.path.join(session.data_home, "ixo-shogi", "games", "*.kifu"))
    with open(records[0], encoding="utf-8") as record:
        text = record.read()
    for wanted in ("先手：taro", "後手：Hanako", "棋戦：fake-game-1", "( 0:02/", "投了"):
        if wanted not in text:
            raise AssertionError(f"the record lacks {wanted}:\n{text}")
    with open(session.stdout_path, errors="replace") as output:
        said = output.read()
    if SERVER_PASSWORD in text or SERVER_PASSWORD in said:
        raise AssertionError("the password was written or printed")
    if "You win: resignation" not in said:
        raise AssertionError(f"the terminal was not told the result:\n{said}")


def square_pixels(session, column, row):
    """The window's pixels of one square, as the player sees it."""
    x, y = model.square_centre(column, row)
    return session._capture().crop((x - 26, y - 26, x + 26, y + 26)).tobytes()


def wait_square_changes(session, column, row, before, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while square_pixels(session, column, row) == before:
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what}: the square at {column}, {row} never changed\n"
                                 f"{session.game_output()}")
        time.sleep(0.05)


def session_said(session):
    with open(session.stdout_path, errors="replace") as output:
        return output.read()


def scenario_server_two_windows(session, check):
    """Two players, each in a window of their own, on one stand-in server: each click goes
    out and comes onto the other's board (Red's turned round, its side at the bottom), and a
    resignation ends the game in both windows and both records, with the names and the
    game's ID and never the password."""
    log = session.fake_server_log
    red = GameSession(session.game, session.images,
                      args=["--mute", "--server", f"127.0.0.1:{session.fake_server_port}",
                            "--user", "Hanako"],
                      env={"IXO_CSA_PASSWORD": SERVER_PASSWORD})
    try:
        wait_server_line(log, "AGREE fake-game-1", "Blue agreed")
        deadline = time.monotonic() + 10
        while server_lines(log).count("AGREE fake-game-1") < 2:
            if time.monotonic() >= deadline:
                raise AssertionError(f"Red never agreed: {server_lines(log)}")
            time.sleep(0.05)
        blue = StandardPlay(session, check)
        blue.skip = SERVER_ONLY
        # Blue's pawn in column 2 (7g) lands where Red, turned round, sees column 6, row 3.
        # Red's board turns once its side is known, so the square is taken once it holds
        # still.
        red_before = square_pixels(red, 6, 3)
        deadline = time.monotonic() + 10
        while True:
            time.sleep(0.5)
            now = square_pixels(red, 6, 3)
            if now == red_before:
                break
            if time.monotonic() >= deadline:
                raise AssertionError("Red's board never held still")
            red_before = now
        blue.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
        click_square(session, 2, 5)
        blue._arrive((2, 6), (2, 5), None, None)
        wait_server_line(log, "+7776FU", "Blue's click went out")
        wait_square_changes(red, 6, 3, red_before, "Blue's move on Red's board")
        if wait_recorded(red, 1, "Blue's move in Red's record")[0] != "７六歩(77)":
            raise AssertionError("Red's record does not begin with Blue's move")
        # Red's pawn on 3c is in the same place on Red's screen as Blue's on 7g on Blue's.
        click_square(red, 2, 6)
        click_square(red, 2, 5)
        wait_server_line(log, "-3334FU", "Red's click went out")
        moves = wait_recorded(session, 2, "Red's move in Blue's record")
        if moves[1] != "３四歩(33)":
            raise AssertionError(f"Red's move is recorded by Blue as {moves[1]}")
        blue._arrive((6, 2), (6, 3), None, None)
        check.screen_comes_back(blue.scene, "Red's move on Blue's board", skip=SERVER_ONLY)
        # Blue resigns, G twice, the first asking (two presses at once would pass for a
        # key's repeat); both windows learn it from the server.
        session.forget_frames()
        session.key(XK.XK_g)
        session.wait_frames(1, what="G asks first")
        session.key(XK.XK_g)
        wait_server_line(log, "%TORYO", "Blue's resignation went out")
        blue.scene.banner = "resignation-red"
        check.screen_comes_back(blue.scene, "Blue resigned: Red wins", skip=SERVER_ONLY)
        for player, wanted in ((session, "You lose: resignation"),
                               (red, "You win: resignation")):
            deadline = time.monotonic() + 10
            while wanted not in session_said(player):
                if time.monotonic() >= deadline:
                    raise AssertionError(f"the terminal was not told {wanted!r}:\n"
                                         f"{player.game_output()}")
                time.sleep(0.05)
        for player in (session, red):
            player.press_escape()
            expect_exit_zero(player, "Escape after the game")
            records = glob.glob(os.path.join(player.data_home, "ixo-shogi", "games", "*.kifu"))
            with open(records[0], encoding="utf-8") as record:
                text = record.read()
            for wanted in ("先手：taro", "後手：Hanako", "棋戦：fake-game-1", "投了"):
                if wanted not in text:
                    raise AssertionError(f"a record lacks {wanted}:\n{text}")
            if SERVER_PASSWORD in text or SERVER_PASSWORD in session_said(player):
                raise AssertionError("the password was written or printed")
    except BaseException:
        check.save(os.path.join(session.tmp, "red-at-failure"), red.screen_now())
        print(f"Red's window at the failure: {os.path.join(session.tmp, 'red-at-failure')}")
        print(red.game_output())
        raise
    finally:
        red.close()


REVIEW_RECORD = ("手合割：平手\n手数----指手---------消費時間--\n"
                 "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２六歩(27)\n   4 ８四歩(83)\n")
# The review's panel ground and the bar under the current row, as a 16-bit screen gives them.
REVIEW_GROUND = (24, 32, 40)
REVIEW_BAR = (48, 72, 112)


def near(colour, wanted, slack=10):
    return all(abs(a - b) <= slack for a, b in zip(colour, wanted))


def scenario_review(session, check):
    """A record opened by name: the move list shows beside the board, Left and Home step
    through the game, and A analyses it in the background into a record of its own."""
    game = StandardPlay(session, check)
    game.skip = ("right of the board",)
    scenes = [game.scene.copy()]
    for origin, destination in (((2, 6), (2, 5)), ((6, 2), (6, 3)), ((7, 6), (7, 5)),
                                ((1, 2), (1, 3))):
        game._arrive(origin, destination, None, None)
        scenes.append(game.scene.copy())
    game.shows("the record opens at its end")
    shot = session._capture()
    # The list's left margin, top to bottom of its rows: its ground, or the current row's bar.
    strip = [shot.getpixel((604, y))[:3] for y in range(106, 316, 3)]
    if not all(near(pixel, REVIEW_GROUND) or near(pixel, REVIEW_BAR) for pixel in strip):
        raise AssertionError(f"no move list beside the board: {strip}")
    if not any(near(pixel, REVIEW_BAR) for pixel in strip):
        raise AssertionError("no row of the list is marked as the current move")
    game.key(XK.XK_Left, scenes[3], "Left: one move back")
    game.key(XK.XK_Home, scenes[0], "Home: the start")
    game.key(XK.XK_End, scenes[4], "End: the end of the line")
    session.key(XK.XK_a)
    games = os.path.join(session.data_home, "ixo-shogi", "games")
    deadline = time.monotonic() + 30
    while True:
        texts = []
        for path in glob.glob(os.path.join(games, "*.kifu")):
            with open(path, encoding="utf-8") as record:
                texts.append(record.read())
        if any(text.count("#評価値=") == 5 for text in texts):
            break
        if time.monotonic() >= deadline:
            raise AssertionError(f"the analysis never reached a record: {texts}")
        time.sleep(0.2)
    # The window stayed the game's: the position is as it was, and the line under the board
    # counts what the analysis found (the fake analyst scores every position 0).
    game.scene.notice = "Blue/Red: 0/0 blunders, 0/0 mistakes, 0/0 dubious"
    check.screen_comes_back(game.scene, "the board after the analysis", skip=game.skip)


def scenario_idle(session, check):
    # Nobody plays: after its first frame the game presents nothing more.
    session.forget_frames()
    session.expect_no_frame("the first frame", settle=2.0)
    check.screen_shows(model.Scene(), "start position after two idle seconds")
    session.press_escape()
    expect_exit_zero(session, "Escape after idling")


def scenario_covered(session, check):
    game = Game(session, check)
    game.select((2, 6), [(2, 5)], "Blue selects the pawn in column 2")
    # Another window over part of the game, painted so that left-over pixels would show;
    # then it goes away, and the game's window must show the whole frame again.
    dpy = session.dpy
    ox, oy = session.window.origin
    screen = dpy.screen()
    cover = screen.root.create_window(
        ox + 100, oy + 50, 600, 450, 0, screen.root_depth,
        background_pixel=screen.white_pixel, override_redirect=True)
    cover.map()
    dpy.sync()
    cover.clear_area()
    dpy.sync()
    time.sleep(0.2)
    cover.unmap()
    cover.destroy()
    dpy.sync()
    check.screen_comes_back(game.scene, "uncovered after another window lay over it")

    # What a window manager does when the window is minimised and restored.
    toplevel = session.window.toplevel
    toplevel.unmap()
    dpy.sync()
    time.sleep(0.2)
    toplevel.map()
    dpy.sync()
    session.dpy.set_input_focus(toplevel, X.RevertToParent, X.CurrentTime)
    check.screen_comes_back(game.scene, "restored after being unmapped")
    # The game still plays on after both.
    game.move((2, 5), "Blue's pawn steps forward after the window came back")
    session.press_escape()
    expect_exit_zero(session, "Escape after the window came back")


def changed_pixels(session, check, scene, box, what):
    """How many pixels inside `box` differ from `scene` as the model paints it."""
    shot = session.screenshot(what)
    mask = model.mismatch_mask(shot, model.render(check.pictures, scene))
    return model.count_mismatches(mask, box), shot


def wait_for_mark(session, check, scene, box, what, shown, timeout=5.0, whole=True):
    """Waits until `box` shows something the model lacks (or, not `shown`, nothing), and
    checks that the rest of the window is the model's frame (unless not `whole`)."""
    deadline = time.monotonic() + timeout
    while True:
        count, shot = changed_pixels(session, check, scene, box, what)
        if (count > 20) == shown:
            if whole:
                check.screen_shows(scene, what, shot=shot, outside=box if shown else None)
            return
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what}: {count} pixels of {box} differ from the plain frame")
        session.forget_frames()
        try:
            session.wait_frames(1, timeout=0.2)
        except SessionTimeout:
            pass


SPEAKER_BOX = (766, 566, 790, 590)
NOTICE_BOX = (606, 562, 742, 594)


def scenario_mute_mark(session, check):
    check.screen_shows(model.Scene(), "sound on: no mark")
    session.key(XK.XK_m)
    wait_for_mark(session, check, model.Scene(), SPEAKER_BOX, "M: the speaker-off mark",
                  shown=True)
    session.key(XK.XK_m)
    wait_for_mark(session, check, model.Scene(), SPEAKER_BOX, "M again: the mark is gone",
                  shown=False)
    session.press_escape()
    expect_exit_zero(session, "Escape after muting and unmuting")


def scenario_unwritable_records(session, check):
    game = Game(session, check)
    game.shows("start position: nothing written yet, no line")
    click_square(session, 2, 6)
    click_square(session, 2, 5)
    scene = model.Scene()
    piece = scene.board.pop((2, 6))
    scene.board[(2, 5)] = piece
    scene.turn = RED
    wait_for_mark(session, check, scene, NOTICE_BOX, "the record cannot be written",
                  shown=True)
    session.press_escape()
    expect_exit_zero(session, "Escape without a record")
    if "games are not being recorded" not in session.game_output():
        raise AssertionError(f"no line on stderr\n{session.game_output()}")


BLUE_CLOCK_BOX = (0, 496, 62, 540)
UNDER_BOARD_BOX = (64, 566, 560, 598)


def scenario_clock(session, check):
    """A 3 s clock with 2 s of byoyomi: Blue's clock shows a new second about once a second
    and nothing else comes between; then Blue's flag falls, the line under the board says
    so, and the stopped clocks present nothing more."""
    started = time.monotonic()
    session.forget_frames()
    frames = 0
    deadline = started + 2.5
    while time.monotonic() < deadline:
        try:
            session.wait_frames(1, timeout=max(0.0, deadline - time.monotonic()))
            frames += 1
        except SessionTimeout:
            break
    if not 1 <= frames <= 4:
        raise AssertionError(f"{frames} frames in 2.5 s of a running clock, not one a second")
    first = session.screenshot("Blue's clock running").crop(BLUE_CLOCK_BOX)
    session.forget_frames()
    session.wait_frames(1, timeout=2.0, what="the clock's next second")
    later = session.screenshot("a second later").crop(BLUE_CLOCK_BOX)
    if ImageChops.difference(first, later).getbbox() is None:
        raise AssertionError("Blue's clock showed the same a second later")
    # 5 s in all, then a little for the frame that shows the fall.
    wait_for_mark(session, check, model.Scene(), UNDER_BOARD_BOX, "Blue's flag fell",
                  shown=True, timeout=max(1.0, started + 7.0 - time.monotonic()), whole=False)
    session.forget_frames()
    session.expect_no_frame("the flag fell and the clocks stopped", settle=1.5)
    session.press_escape()
    expect_exit_zero(session, "Escape after the flag fell")


def scaled_down(session, shot, scale, what):
    """The frame behind an enlarged window: every block of scale x scale must be one colour."""
    width, height = shot.size
    small = shot.resize((width // scale, height // scale), Image.NEAREST)
    if ImageChops.difference(small.resize(shot.size, Image.NEAREST), shot).getbbox():
        raise AssertionError(f"{what}: the window is not made of {scale} x {scale} blocks")
    return small


def scenario_scale_two(session, check):
    window = session.window
    if (window.width, window.height) != (1600, 1200):
        raise AssertionError(f"at --scale 2 the window is {window.width} x {window.height}")
    shot = session.screenshot("start position at scale 2")
    check.screen_shows(model.Scene(), "start position at scale 2, shrunk back",
                       shot=scaled_down(session, shot, 2, "the start position"))
    # A click anywhere in the pawn's enlarged square selects it, even near the edge.
    x, y = model.square_origin(2, 6)
    session.click(2 * x + 3, 2 * y + 2 * model.SQUARE - 2)
    selected = model.Scene(selected=(2, 6), highlights=[(2, 5)])
    shot = session.screenshot("the pawn selected at scale 2")
    check.screen_shows(selected, "the pawn selected at scale 2, shrunk back",
                       shot=scaled_down(session, shot, 2, "the selection"))
    session.press_escape()
    expect_exit_zero(session, "Escape at scale 2")


def scenario_from_repository_root(session, check):
    # No ../image/ around the working folder: the pictures come from beside the program.
    check_window(session)
    check.screen_shows(model.Scene(), "started from the repository's root")
    session.press_escape()
    expect_exit_zero(session, "Escape")


# scenario: (function, offers ../image/, needs the full picture set)
SCENARIOS = {
    "escape": (scenario_escape, True, False),
    "close-request": (scenario_close_request, True, False),
    "no-pictures": (scenario_no_pictures, False, False),
    "scripted-game": (scenario_scripted_game, True, True),
    "take-back-and-continue": (scenario_take_back_and_continue, True, True),
    "idle": (scenario_idle, True, False),
    "covered": (scenario_covered, True, True),
    "sound": (scenario_sound, True, True),
    "no-audio-device": (scenario_no_audio_device, True, True),
    "standard-game": (scenario_standard_game, True, True),
    "computer": (scenario_computer, True, True),
    "mute-mark": (scenario_mute_mark, True, True),
    "unwritable-records": (scenario_unwritable_records, True, True),
    "scale-two": (scenario_scale_two, True, True),
    "from-repository-root": (scenario_from_repository_root, False, True),
    "clock": (scenario_clock, True, True),
    "new-game-panel": (scenario_new_game_panel, True, True),
    "server": (scenario_server, True, True),
    "review": (scenario_review, True, True),
    "server-two-windows": (scenario_server_two_windows, True, True),
}

# How a scenario's game is started, beyond the session's defaults.
SCENARIO_SESSION = {
    "standard-game": {"args": ["--rules", "standard"]},
    "computer": {"args": ["--rules", "standard", "--computer", "red", "--level", "10"]},
    "scale-two": {"args": ["--scale", "2"], "screen_size": (2048, 1536)},
    "clock": {"args": ["--clock", "3s", "--byoyomi", "2s"]},
}

# The environment a scenario needs on top of the session's own.
SCENARIO_ENV = {
    # Near real time (a buffer is 46 ms): classic SDL 1.2 waits 150 ms per buffer by default.
    "sound": {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": AUDIO_FILE,
              "SDL_DISKAUDIODELAY": "40"},
    "no-audio-device": {"SDL_AUDIODRIVER": "no-such-driver"},
    "server": {"IXO_CSA_PASSWORD": SERVER_PASSWORD},
    "server-two-windows": {"IXO_CSA_PASSWORD": SERVER_PASSWORD},
}

# The pictures the game loads at start, each of which it must report when it is missing.
FIXED_PICTURES = ["bg.jpg", "board.jpg"] + [
    f"team/sample/{folder}/{code:02d}.png" for code in range(1, 15) for folder in ("1p", "2p")
] + ["kager.png", "kageb.png", "hikari.png"]

# The scripted game looks for these; without them its checks could not tell moves apart.
NEEDED_PICTURES = ["bg.jpg", "board.jpg", "hikari.png", "kageb.png", "kager.png"] + [
    f"team/sample/{folder}/{code:02d}.png"
    for folder in ("1p", "2p") for code in (PAWN, PROMOTED_PAWN, BISHOP, PROMOTED_BISHOP, SILVER)
] + [f"team/sample/{folder}/{code:02d}.png" for folder in ("1pcg", "2pcg")
     for code in (PAWN, BISHOP, SILVER)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", required=True)
    parser.add_argument("--images", required=True)
    parser.add_argument("--sounds", required=True)
    parser.add_argument("--font", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()

    run, with_pictures, needs_all = SCENARIOS[args.scenario]
    images = os.path.abspath(args.images) if with_pictures else None
    pictures = model.Pictures(os.path.abspath(args.images) if needs_all else images, args.font)
    if needs_all:
        lacking = pictures.missing(NEEDED_PICTURES)
        if lacking:
            print(f"FAIL: the picture folder {images} lacks {', '.join(lacking)}")
            return 1

    folder = os.path.join(os.path.abspath(args.artifacts), args.scenario)
    shutil.rmtree(folder, ignore_errors=True)
    started = time.monotonic()
    session = None
    check = None
    fake_server = None
    try:
        # Not started yet, so that a run that fails on the way up still has a screen to
        # show for it.
        session = GameSession(args.game, images, start=False,
                              env=SCENARIO_ENV.get(args.scenario),
                              **SCENARIO_SESSION.get(args.scenario, {}))
        if args.scenario == "no-pictures":
            # A program in a build tree finds the repository's pictures beside itself; a
            # copy elsewhere has none to find.
            os.mkdir(os.path.join(session.tmp, "bin"))
            session.game = os.path.join(session.tmp, "bin", "ixo-shogi")
            shutil.copy2(args.game, session.game)
        elif args.scenario == "from-repository-root":
            session.cwd = os.path.dirname(os.path.abspath(args.images))
        elif args.scenario in ("server", "server-two-windows"):
            session.fake_server_log = os.path.join(session.tmp, "server.log")
            fake_server, port = start_fake_server(
                session.fake_server_log, 2 if args.scenario == "server-two-windows" else 1)
            session.fake_server_port = port
            session.args += ["--mute", "--server", f"127.0.0.1:{port}", "--user", "taro"]
        elif args.scenario == "review":
            record = os.path.join(session.tmp, "opened.kif")
            with open(record, "w", encoding="utf-8") as opened:
                opened.write(REVIEW_RECORD)
            session.args += [record, "--engine", FAKE_ANALYST, "--analysis-time", "0.05"]
        elif args.scenario == "unwritable-records":
            # A file where the games folder would have to be made.
            os.makedirs(session.data_home)
            with open(os.path.join(session.data_home, "ixo-shogi"), "w") as blocker:
                blocker.write("not a folder\n")
        # Found at ../sound/ as an installed game finds them.
        os.symlink(os.path.abspath(args.sounds), os.path.join(session.tmp, "sound"))
        check = Check(session, pictures)
        session.start()
        run(session, check)
    except Exception as error:  # X protocol errors too: every failure gets its report
        print(f"FAIL: {args.scenario}: {error}")
        traceback.print_exc(file=sys.stdout)
        if session is not None and session.server is not None:
            server_log = session.server.log().strip()
            if server_log:
                print(f"X server log:\n{server_log}")
        if check is not None:
            check.save(folder, session.screen_now())
            print(f"Screenshots of the failing run: {folder}")
        return 1
    finally:
        if session is not None:
            session.close()
        if fake_server is not None:
            fake_server.kill()
            fake_server.wait()
    print(f"ok: {args.scenario} in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
