#!/usr/bin/python3
"""Synthetic mouse input for the measuring scripts, sent through XTest to the game's window
on $DISPLAY (a private Xvfb of the calling script).

  xtest_input.py motion SECONDS RATE
      moves the pointer over the board RATE times a second for SECONDS, pressing nothing.
  xtest_input.py clicks COUNT STAMPS [--hold MS]
      clicks COUNT times, alternately the left button on Blue's pawn in column 2 (selects
      it) and the right button (cancels), and times each click from the sending of its
      release to the first presented frame that shows its effect. STAMPS is the file the
      frame probe appends to (IXO_PROBE_STAMPS, with IXO_PROBE_PIXEL on the square the pawn
      may move to, which is lit only while the pawn is selected). --hold is how long the
      button stays down; 0 sends press and release together, as `xdotool click` does.
      Each click is timed to the moment the X server reported the window changed and
      showed the effect there (DAMAGE): what a player sees, whatever SDL does after its
      call returns. Where the frame went through SDL_Flip or SDL_UpdateRects, the time to
      that call's return (the probe's stamp) is given too.

      --move-first plays Blue's pawn in column 6 one square forward before the clicks, so
      that a computer playing Red is searching while they are timed.

  xtest_input.py steps COUNT
      presses Left and Right in turn COUNT times in a game that shows a record (each a step
      back or on through it), and times each from the sending of the key to the X server's
      first report (DAMAGE) that the window changed. Nothing else changes on screen while a
      record is looked through without a clock, so the first change is the step's.

  --scale N (all modes): the game runs at --scale N, so every position is N times larger.
"""

import argparse
import os
import random
import select
import statistics
import sys
import time

from Xlib import X, XK, display as xdisplay, error as xerror
from Xlib.ext import damage, xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "e2e"))
from xsession import GameWindow  # noqa: E402  (found through the path set just above)

PAWN = (2, 6)
LIT_SQUARE = (2, 5)  # where that pawn may step
LIT_PIXEL = (204, 356)  # in that square, clear of the pawn picture; the probe watches it too
WAIT_FOR_FRAME = 1.0  # a click with no frame showing it by then counts as lost


def square_centre(column, row):
    return 64 + 56 * column + 28, 48 + 56 * row + 28


def find_game(dpy, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for window in dpy.screen().root.query_tree().children:
            try:
                name = window.get_wm_name()
                viewable = window.get_attributes().map_state == X.IsViewable
                if viewable and isinstance(name, (str, bytes)) and name[:3] in ("Ixo", b"Ixo"):
                    return GameWindow(dpy, window)
            except xerror.XError:
                continue
        time.sleep(0.05)
    sys.exit("no window captioned Ixo appeared")


class Pointer:
    """Moves in frame pixels; at a scale above 1, to the middle of that pixel's block."""

    def __init__(self, dpy, window, scale=1):
        self.dpy = dpy
        self.window = window
        self.scale = scale

    def move(self, x, y):
        ox, oy = self.window.origin
        inside = self.scale // 2
        xtest.fake_input(self.dpy, X.MotionNotify, x=ox + x * self.scale + inside,
                         y=oy + y * self.scale + inside)
        self.dpy.flush()

    def button(self, button, pressed):
        xtest.fake_input(self.dpy, X.ButtonPress if pressed else X.ButtonRelease, button)


def motion(pointer, seconds, rate):
    """Sweeps the board square by square, never clicking; paced against the clock so that
    the rate holds even when a send is late."""
    period = 1.0 / rate
    start = time.monotonic()
    sent = 0
    while True:
        due = start + sent * period
        now = time.monotonic()
        if now - start >= seconds:
            break
        if due > now:
            time.sleep(due - now)
        x = 70 + (sent * 7) % 490
        y = 54 + (sent * 3) % 490
        pointer.move(x, y)
        sent += 1
    print(f"motion: {sent} events in {time.monotonic() - start:.1f} s")


class Stamps:
    """The lines the frame probe appends: (monotonic seconds, pixel) per presented frame.
    The time each flip took is kept in flip_ms."""

    def __init__(self, path):
        self.file = open(path, "r")
        self.buffer = ""
        self.flip_ms = []

    def frames(self):
        self.buffer += self.file.read()
        *lines, self.buffer = self.buffer.split("\n")
        for line in lines:
            stamp, pixel, flip = line.split()
            self.flip_ms.append(int(flip) / 1e6)
            yield int(stamp) / 1e9, pixel

    def pixel_after(self, settle):
        """The pixel of the last frame presented within `settle` s (at least one frame)."""
        pixel = None
        end = time.monotonic() + settle
        while time.monotonic() < end or pixel is None:
            for _, pixel in self.frames():
                pass
            time.sleep(0.01)
        return pixel

    def first_showing(self, pixel, after, deadline):
        """The time of the first frame at or after `after` whose pixel is `pixel`."""
        while time.monotonic() < deadline:
            for stamp, value in self.frames():
                if stamp >= after and value == pixel:
                    return stamp
            time.sleep(0.002)
        return None


class Screen:
    """The watched pixel as the X server shows it, timed by the window's DAMAGE notices."""

    def __init__(self, pointer, x, y):
        self.dpy = pointer.dpy
        self.window = pointer.window.canvas
        self.x, self.y = x, y
        self.dpy.damage_query_version()
        self.damage = self.window.damage_create(damage.DamageReportRawRectangles)
        self.notify = self.dpy.extension_event.DamageNotify
        self.dpy.sync()

    def pixel(self):
        """Cut to the game's 16-bit colours: each SDL widens them its own way."""
        blue, green, red = self.window.get_image(self.x, self.y, 1, 1, X.ZPixmap,
                                                 0xFFFFFFFF).data[:3]
        return red & 0xF8, green & 0xFC, blue & 0xF8

    def drain(self):
        while self.dpy.pending_events():
            self.dpy.next_event()

    def first_showing(self, wanted, deadline):
        """(time, pixel) of the first damage after which the pixel passes `wanted`."""
        while time.monotonic() < deadline:
            while self.dpy.pending_events():
                event = self.dpy.next_event()
                if event.type == self.notify and event.damage == self.damage:
                    seen = time.monotonic()
                    value = self.pixel()
                    if wanted(value):
                        return seen, value
            select.select([self.dpy], [], [], 0.001)
        return None, None


def spread(sorted_ms):
    """The figures every latency here is reported by, from timings sorted in milliseconds."""
    return (f"median {statistics.median(sorted_ms):.2f}, 90th percentile "
            f"{sorted_ms[int(0.9 * (len(sorted_ms) - 1))]:.2f}, worst {sorted_ms[-1]:.2f}, "
            f"best {sorted_ms[0]:.2f}")


def clicks(pointer, count, stamps_path, hold, move_first=False):
    stamps = Stamps(stamps_path)
    if move_first:
        time.sleep(0.5)  # the window is up before its first frame is drawn
        for square in ((6, 6), (6, 5)):
            pointer.move(*square_centre(*square))
            pointer.button(1, True)
            pointer.button(1, False)
            pointer.dpy.sync()
            time.sleep(0.2)
    began = time.monotonic()
    unlit = stamps.pixel_after(0.3)
    lit = None
    scale = pointer.scale
    screen = Screen(pointer, LIT_PIXEL[0] * scale, LIT_PIXEL[1] * scale)
    screen_unlit = screen.pixel()
    screen_lit = None
    on_screen = []
    latencies = []
    selects = []  # these include decoding the portrait
    cancels = []
    lost = 0
    selected = False
    for _ in range(count):
        # Selecting where nothing is selected and cancelling otherwise, so that every click
        # changes the picture, even after a lost one.
        select = not selected
        if select:
            pointer.move(*square_centre(*PAWN))
        pointer.button(1 if select else 3, True)
        pointer.dpy.sync()
        if hold:
            time.sleep(hold / 1000.0)
        screen.drain()
        sent = time.monotonic()
        pointer.button(1 if select else 3, False)
        pointer.dpy.sync()
        if select and screen_lit is None:
            wanted = lambda value: value != screen_unlit  # noqa: E731
        else:
            target = screen_lit if select else screen_unlit
            wanted = lambda value: value == target  # noqa: E731
        seen, value = screen.first_showing(wanted, time.monotonic() + WAIT_FOR_FRAME)
        if seen is None:
            lost += 1
        else:
            selected = select
            on_screen.append((seen - sent) * 1000.0)
            (selects if select else cancels).append(on_screen[-1])
            if select:
                screen_lit = value
            # The probe's stamp of the same frame, if it went through SDL's presenting calls
            # (it is written before the frame reaches the server, so it is there by now).
            expected = lit if select else unlit
            deadline = time.monotonic() + 0.05
            shown = None
            while shown is None and time.monotonic() < deadline:
                for stamp, pixel in stamps.frames():
                    if stamp >= sent and (pixel == expected or (expected is None and
                                                                pixel != unlit)):
                        shown = stamp
                        if expected is None:
                            lit = pixel
                        break
                time.sleep(0.002)
            if shown is not None:
                latencies.append((shown - sent) * 1000.0)
        # Irregular pauses, so that the clicks do not fall in step with the game's passes.
        time.sleep(random.uniform(0.03, 0.07))
    if not on_screen:
        print(f"clicks: {count} sent, none shown on screen ({lost} lost)")
        return
    on_screen.sort()
    print(f"clicks: {count} sent, {len(on_screen)} shown, {lost} lost, in "
          f"{time.monotonic() - began:.1f} s")
    print(f"latency ms (release to the window showing it, by DAMAGE): {spread(on_screen)}")
    if latencies:
        latencies.sort()
        print(f"  to the presenting call's return (probe), {len(latencies)} frames: median "
              f"{statistics.median(latencies):.2f}, worst {latencies[-1]:.2f}; the call "
              f"itself: median {statistics.median(stamps.flip_ms):.2f} ms")
    else:
        print("  no frame after the first went through SDL's presenting calls")
    for name, kind in (("select", selects), ("cancel", cancels)):
        if kind:
            print(f"  {name}: {len(kind)}, median {statistics.median(kind):.2f}, "
                  f"worst {max(kind):.2f}")


def steps(pointer, count):
    dpy = pointer.dpy
    # No window manager runs on the private server: give the game the keyboard as one would.
    dpy.set_input_focus(pointer.window.toplevel, X.RevertToParent, X.CurrentTime)
    keys = [dpy.keysym_to_keycode(XK.string_to_keysym(name)) for name in ("Left", "Right")]
    canvas = pointer.window.canvas
    dpy.damage_query_version()
    watch = canvas.damage_create(damage.DamageReportRawRectangles)
    notify = dpy.extension_event.DamageNotify
    dpy.sync()
    time.sleep(0.5)
    shown = []
    lost = 0
    for index in range(count):
        while dpy.pending_events():
            dpy.next_event()
        key = keys[index % 2]
        sent = time.monotonic()
        xtest.fake_input(dpy, X.KeyPress, key)
        xtest.fake_input(dpy, X.KeyRelease, key)
        dpy.sync()
        deadline = sent + WAIT_FOR_FRAME
        seen = None
        while seen is None and time.monotonic() < deadline:
            while dpy.pending_events():
                event = dpy.next_event()
                if event.type == notify and event.damage == watch:
                    seen = time.monotonic()
                    break
            if seen is None:
                select.select([dpy], [], [], 0.001)
        if seen is None:
            lost += 1
        else:
            shown.append((seen - sent) * 1000.0)
        # Let the step's frame finish, then pause irregularly, out of step with the loop.
        time.sleep(random.uniform(0.05, 0.09))
    if not shown:
        print(f"steps: {count} sent, none shown on screen ({lost} lost)")
        return
    shown.sort()
    print(f"steps: {count} sent, {len(shown)} shown, {lost} lost")
    print(f"latency ms (key to the window changing, by DAMAGE): {spread(shown)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="mode", required=True)
    moving = sub.add_parser("motion")
    moving.add_argument("seconds", type=float)
    moving.add_argument("rate", type=float)
    moving.add_argument("--scale", type=int, default=1)
    clicking = sub.add_parser("clicks")
    clicking.add_argument("count", type=int)
    clicking.add_argument("stamps")
    clicking.add_argument("--hold", type=float, default=5.0)
    clicking.add_argument("--scale", type=int, default=1)
    clicking.add_argument("--move-first", action="store_true")
    stepping = sub.add_parser("steps")
    stepping.add_argument("count", type=int)
    stepping.add_argument("--scale", type=int, default=1)
    args = parser.parse_args()

    dpy = xdisplay.Display()
    pointer = Pointer(dpy, find_game(dpy), args.scale)
    if args.mode == "motion":
        motion(pointer, args.seconds, args.rate)
    elif args.mode == "steps":
        steps(pointer, args.count)
    else:
        clicks(pointer, args.count, args.stamps, args.hold, args.move_first)


if __name__ == "__main__":
    main()
