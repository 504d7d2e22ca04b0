"""A private X server with the game running in it, driven through XTest.

Everything here talks to an Xvfb that this module started itself; the caller's DISPLAY is
never read, so a test can neither disturb nor depend on someone's desktop.

Timing: the game presents a frame only when the picture changes, and waits for events in
between. Fixed sleeps would make a check a race on a loaded machine, so the session watches
the DAMAGE extension instead: every frame the game presents shows up as damage notices on its
window, one for the whole window or one for each part that changed, all sent at once. A frame
is therefore a burst of notices, over once FRAME_QUIET passes without another. The pointer is
hidden (XFixes), so that the server's software cursor puts no notices of its own in between.
An input that must change the picture is followed by waiting for that frame (see click).
Where the picture must stay as it is, the session lets a short settling time pass and checks
that no notice came (see expect_no_frame); the caller then compares the window with the frame
it expects.

Start-up is followed through the same events. Under some SDL builds (sdl12-compat on SDL 2)
a captioned window is mapped and destroyed again before the one the game keeps, and the
kept window is first shown black before the game has drawn anything. So a window is the
game's only once it is still there after we have hooked onto it, and its first frame is the
first whole-window paint that shows anything at all: the game always draws at least the
label, so an all-black paint is the library presenting a screen nobody has drawn yet.
"""

import ctypes
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

from PIL import Image
from Xlib import X, XK, Xatom, display as xdisplay, error as xerror, protocol
from Xlib.ext import damage, xtest

CAPTION_PREFIX = b"Ixo"


class SessionError(AssertionError):
    """Something the test expected of the program or the server did not happen."""


class SessionTimeout(SessionError):
    """What the session waited for did not come in time."""


def _deadline(seconds):
    return time.monotonic() + seconds


_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    """Runs in the child: if the test is killed outright, its server and game go too."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class XServer:
    """An Xvfb on a display number it picked itself (-displayfd), torn down on close."""

    def __init__(self, workdir, width=1024, height=768):
        self.log_path = os.path.join(workdir, "xvfb.log")
        read_end, write_end = os.pipe()
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log,
                stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end, _deadline(15))
        except Exception:
            self.close()
            raise
        finally:
            os.close(read_end)
        self.name = f":{number}"

    def _read_display_number(self, fd, deadline):
        text = b""
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or self.process.poll() is not None:
                raise SessionError(f"Xvfb did not come up; see {self.log_path}:\n{self.log()}")
            ready, _, _ = select.select([fd], [], [], remaining)
            if ready:
                chunk = os.read(fd, 64)
                if not chunk:
                    raise SessionError(f"Xvfb closed its display pipe:\n{self.log()}")
                text += chunk
        return int(text.strip())

    def log(self):
        try:
            with open(self.log_path, "r", errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class GameWindow:
    """The game's top-level window, found by its caption, plus the means to drive it."""

    def __init__(self, dpy, toplevel):
        """Raises Xlib.error.XError if the window is destroyed while we look at it."""
        self.dpy = dpy
        self.toplevel = toplevel
        self.root = dpy.screen().root
        outer = toplevel.get_geometry()
        self.outer_size = (outer.width, outer.height)
        # SDL draws into a child of the captioned window. Pointer positions and screenshots
        # are taken relative to the window that is actually painted.
        self.canvas = toplevel
        largest = 0
        for child in toplevel.query_tree().children:
            geometry = child.get_geometry()
            area = geometry.width * geometry.height
            if child.get_attributes().map_state == X.IsViewable and area > largest:
                self.canvas, largest = child, area
        geometry = self.canvas.get_geometry()
        self.width, self.height = geometry.width, geometry.height
        origin = self.canvas.translate_coords(self.root, 0, 0)
        # translate_coords maps root (0, 0) into the window, so the origin is its negation.
        self.origin = (-origin.x, -origin.y)

    def property_bytes(self, name, kind):
        atom = self.dpy.intern_atom(name)
        value = self.toplevel.get_full_property(atom, kind)
        if value is None:
            return None
        data = value.value
        return data if isinstance(data, bytes) else bytes(data)

    def protocols(self):
        atom = self.dpy.intern_atom("WM_PROTOCOLS")
        value = self.toplevel.get_full_property(atom, Xatom.ATOM)
        return [] if value is None else list(value.value)


class GameSession:
    """Runs the built game in a private X server from a working directory of our making.

    `images` is the folder to offer as ../image/ (None: no such folder at all). With
    start=False nothing runs until start(), so that a caller can still look at the screen
    when starting fails; it must then call close() itself. `env` adds to or overrides the
    game's environment (SDL's dummy audio driver by default); relative paths in it are
    taken from the game's working directory, `rundir`.
    """

    def __init__(self, game, images, keep_dir=None, start=True, args=(), data_home=None,
                 env=None, screen_size=(1024, 768), cwd=None):
        self.game = os.path.abspath(game)
        self.screen_size = screen_size
        # Where the game is started; by default a scratch folder beside `images`.
        self.cwd = cwd
        self.args = list(args)
        self.extra_env = dict(env or {})
        self.images = images
        self.tmp = tempfile.mkdtemp(prefix="ixo-e2e-")
        self.rundir = os.path.join(self.tmp, "run")
        # The game keeps a record of every game under XDG_DATA_HOME: never the real home's.
        # A caller passes its own folder to carry the records from one session to the next.
        self.data_home = data_home or os.path.join(self.tmp, "data")
        # Nor the last game chosen: each session starts as its own arguments say.
        self.config_home = os.path.join(self.tmp, "config")
        self.server = None
        self.process = None
        self.dpy = None
        self.window = None
        self.damage = None
        self.shots = []
        self.exit_status = None
        if start:
            try:
                self.start()
            except BaseException:
                self.close()
                raise

    def start(self):
        self._start(self.images)

    # -- start-up ----------------------------------------------------------------------

    def _start(self, images):
        rundir = self.rundir
        os.mkdir(rundir)
        if images is not None:
            os.symlink(os.path.abspath(images), os.path.join(self.tmp, "image"))
        self.server = XServer(self.tmp, *self.screen_size)
        # Our server takes no cookies; keep the user's cookie file out of every connection.
        self.xauthority = os.path.join(self.tmp, "no-cookies")
        os.environ["XAUTHORITY"] = self.xauthority
        self.dpy = xdisplay.Display(self.server.name)
        for extension in ("XTEST", "DAMAGE", "XFIXES"):
            if not self.dpy.has_extension(extension):
                raise SessionError(f"the X server lacks the {extension} extension")
        self.dpy.damage_query_version()
        self.dpy.xfixes_query_version()
        self.damage_event = self.dpy.extension_event.DamageNotify
        self.root = self.dpy.screen().root
        # Creating windows is all we need to hear about before the game's window exists.
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.root.xfixes_hide_cursor()

        env = {key: value for key, value in os.environ.items()
               if not key.startswith("SDL_") and key not in ("DISPLAY", "XAUTHORITY")}
        env.update(DISPLAY=self.server.name, XAUTHORITY=self.xauthority,
                   SDL_AUDIODRIVER="dummy", XDG_DATA_HOME=self.data_home,
                   XDG_CONFIG_HOME=self.config_home)
        env.update(self.extra_env)
        self.stdout_path = os.path.join(self.tmp, "game.log")
        with open(self.stdout_path, "wb") as log:
            self.process = subprocess.Popen(
                [self.game] + self.args, cwd=self.cwd or rundir, env=env, stdin=subprocess.DEVNULL,
                stdout=log, stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)
        self.window = self._attach(_deadline(20))
        # No window manager runs here, so give the window the keyboard focus as one would.
        self.dpy.set_input_focus(self.window.toplevel, X.RevertToParent, X.CurrentTime)
        self.dpy.sync()

    def _attach(self, deadline):
        """Finds the game's window and waits for its first frame; returns the GameWindow.

        A window that is unmapped or destroyed before that frame was only a passing one of
        the library's, and the search goes on for the next.
        """
        while True:
            toplevel = self._find_window(deadline)
            try:
                window = GameWindow(self.dpy, toplevel)
                # Both selections are in place before the check below, so from then on its
                # going away is reported to us as an event.
                toplevel.change_attributes(event_mask=X.StructureNotifyMask
                                           | X.SubstructureNotifyMask)
                self.damage = window.canvas.damage_create(damage.DamageReportRawRectangles)
                self.dpy.sync()
                viewable = all(part.get_attributes().map_state == X.IsViewable
                               for part in (toplevel, window.canvas))
            except xerror.XError:
                viewable = False
            if viewable:
                self.window = window
                if self._wait_first_frame(deadline):
                    return window
            # Its damage object is left alone: the server frees it with the window, and
            # the notices of one merely hidden carry that object's id, not the next one's.
            # A hidden window that comes back is found again by the search.
            self.window = None
            self.damage = None

    def _find_window(self, deadline):
        while True:
            for window in self.root.query_tree().children:
                # Hear about its caption being set as well as about its mapping.
                window.change_attributes(event_mask=X.PropertyChangeMask,
                                         onerror=xerror.CatchError())
                try:
                    name = self._name_of(window)
                    viewable = window.get_attributes().map_state == X.IsViewable
                except xerror.XError:
                    continue  # destroyed while we looked at it
                if name is not None and name.startswith(CAPTION_PREFIX) and viewable:
                    return window
            self._ensure_running("before its window appeared")
            # Any creation, mapping or property change may be the one we wait for.
            self._next_event(deadline, "a window captioned Ixo...")
            while self.dpy.pending_events():
                self.dpy.next_event()

    def _name_of(self, window):
        for atom, kind in (("_NET_WM_NAME", self.dpy.intern_atom("UTF8_STRING")),
                           ("WM_NAME", X.AnyPropertyType)):
            value = window.get_full_property(self.dpy.intern_atom(atom), kind)
            if value is not None:
                data = value.value
                return data if isinstance(data, bytes) else bytes(data)
        return None

    def _vanishes(self, event):
        """Whether the event says the attached window is gone or hidden."""
        if event.type not in (X.UnmapNotify, X.DestroyNotify):
            return False
        return event.window.id in (self.window.toplevel.id, self.window.canvas.id)

    def _wait_first_frame(self, deadline):
        """True once the attached window shows a drawn frame, False if it went away."""
        while True:
            event = self._next_event(deadline, "the first frame")
            if self._vanishes(event):
                return False
            if not self._is_frame(event):
                continue
            try:
                drawn = self._capture().getbbox() is not None
            except xerror.XError:
                continue  # gone: its unmap or destroy notice is on its way
            if drawn:
                return True

    # -- events and frames -------------------------------------------------------------

    def _ensure_running(self, when):
        if self.process.poll() is not None:
            raise SessionError(f"the game exited {when} with status {self.process.returncode}"
                               f"\n{self.game_output()}")

    def _next_event(self, deadline, what):
        while not self.dpy.pending_events():
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise SessionTimeout(f"timed out waiting for {what}")
            select.select([self.dpy], [], [], min(remaining, 0.2))
            if self.process is not None:
                self._ensure_running(f"while waiting for {what}")
        return self.dpy.next_event()

    # A game that is waiting has answered an input within milliseconds; this leaves room for a
    # loaded machine before a missing frame counts as none.
    SETTLE = 0.3

    def forget_frames(self):
        """Drops every frame notice up to now, so that later waits count only new frames."""
        self.dpy.sync()
        while self.dpy.pending_events():
            self.dpy.next_event()

    # The notices of one frame leave the server together; a loaded machine may spread them a
    # little, never by this much.
    FRAME_QUIET = 0.05

    def wait_frames(self, count=1, timeout=10.0, what="a frame"):
        """Returns once `count` whole frames came after the last forget_frames."""
        deadline = _deadline(timeout)
        seen = 0
        while seen < count:
            event = self._next_event(deadline, what)
            if self._vanishes(event):
                raise SessionError(f"the game's window went away while waiting for {what}")
            if self._is_frame_part(event):
                self._rest_of_frame(what)
                seen += 1

    def _rest_of_frame(self, what):
        """Reads the notices that follow a frame's first one, until they stop."""
        while True:
            try:
                event = self._next_event(_deadline(self.FRAME_QUIET), what)
            except SessionTimeout:
                return
            if self._vanishes(event):
                raise SessionError(f"the game's window went away while waiting for {what}")

    def expect_no_frame(self, what, settle=None):
        """Fails if a frame comes within the settling time after the last forget_frames."""
        try:
            self.wait_frames(1, timeout=self.SETTLE if settle is None else settle)
        except SessionTimeout:
            return
        raise SessionError(f"a frame was presented after {what}, which changes nothing")

    def _is_frame_part(self, event):
        return event.type == self.damage_event and event.damage == self.damage

    def _is_frame(self, event):
        """A whole-window paint: how every game's first frame comes."""
        return (self._is_frame_part(event)
                and event.area.width >= self.window.width
                and event.area.height >= self.window.height)

    # -- input -------------------------------------------------------------------------

    def move_to(self, x, y):
        ox, oy = self.window.origin
        xtest.fake_input(self.dpy, X.MotionNotify, x=ox + x, y=oy + y)
        self.dpy.sync()

    def click(self, x, y, button=1, while_held=None, changes=True, quick=False):
        """Press and release at window pixel (x, y); returns once the game has acted on it.

        With `changes` the release must bring one new frame; without, none may come. Pointer
        motion and the press alone change nothing on screen, so they must bring no frame
        either; `while_held` runs once that is checked, before the release. `quick` sends
        press and release together, as `xdotool click` does, so that both reach the game
        between two of its passes.
        """
        self.move_to(x, y)
        self.forget_frames()
        xtest.fake_input(self.dpy, X.ButtonPress, button)
        if not quick:
            self.dpy.sync()
            if while_held is not None:
                self.expect_no_frame("the pointer motion and the button press")
                while_held()
                self.forget_frames()
        xtest.fake_input(self.dpy, X.ButtonRelease, button)
        self.dpy.sync()
        if changes:
            self.wait_frames(1, what="the frame showing the click")
        else:
            self.expect_no_frame("the click")

    def key(self, keysym):
        code = self.dpy.keysym_to_keycode(keysym)
        xtest.fake_input(self.dpy, X.KeyPress, code)
        xtest.fake_input(self.dpy, X.KeyRelease, code)
        self.dpy.sync()

    def press_escape(self):
        self.key(XK.XK_Escape)

    def request_close(self):
        """Asks the window to close the way a window manager does: WM_DELETE_WINDOW."""
        protocols = self.dpy.intern_atom("WM_PROTOCOLS")
        delete = self.dpy.intern_atom("WM_DELETE_WINDOW")
        if delete not in self.window.protocols():
            raise SessionError("the window does not take part in WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(
            window=self.window.toplevel, client_type=protocols,
            data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        self.window.toplevel.send_event(event, event_mask=X.NoEventMask)
        self.dpy.sync()

    # -- screen ------------------------------------------------------------------------

    def _capture(self, drawable=None, size=None):
        drawable = drawable or self.window.canvas
        width, height = size or (self.window.width, self.window.height)
        raw = drawable.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (width, height), raw.data, "raw", "BGRX")

    def screenshot(self, label):
        """The window's pixels as an RGB picture; kept for the failure report."""
        picture = self._capture()
        self.shots.append((label, picture))
        return picture

    def screen_now(self):
        """The whole screen as it is, for a failure report; None if it cannot be had.

        Unlike a screenshot of the window, this works before the window was found or after
        it went away.
        """
        if self.dpy is None:
            return None
        try:
            screen = self.dpy.screen()
            return self._capture(self.root, (screen.width_in_pixels, screen.height_in_pixels))
        except Exception:  # the server itself may be what failed
            return None

    # -- shut-down ---------------------------------------------------------------------

    def wait_exit(self, timeout=10.0):
        try:
            self.exit_status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise SessionError(f"the game did not exit within {timeout:.0f} s")
        return self.exit_status

    def game_output(self):
        try:
            with open(self.stdout_path, "r", errors="replace") as log:
                text = log.read()
        except OSError:
            return ""
        return f"game output:\n{text}" if text else "(the game printed nothing)"

    def close(self):
        if self.process is not None and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        if self.dpy is not None:
            try:
                self.dpy.close()
            except Exception:
                pass
        if self.server is not None:
            self.server.close()
        shutil.rmtree(self.tmp, ignore_errors=True)
