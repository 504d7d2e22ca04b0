#!/usr/bin/python3
"""The session must follow the window a program keeps, not one it shows only in passing.

Some SDL builds map a captioned window and destroy it again before the real one, and show
the real one black before the game has drawn anything. This script plays such a program
(run with --client) and checks that GameSession ends up on the kept window, waits for a
drawn frame, and still delivers Escape to it. It does so deterministically: the passing
window lives until the session has hooked onto it, so the hard case is taken every time.
"""

import os
import sys

import e2e_ready

e2e_ready.or_skip()

from Xlib import X, XK, display as xdisplay

CAPTION = b"Ixo\xe5\xb0\x86\xe6\xa3\x8b"
GREY = 0x808080


def _window(dpy, role):
    screen = dpy.screen()
    window = screen.root.create_window(0, 0, 800, 600, 0, screen.root_depth,
                                       event_mask=X.KeyPressMask)
    window.set_wm_name(CAPTION)
    window.change_property(dpy.intern_atom("_NET_WM_NAME"), dpy.intern_atom("UTF8_STRING"),
                           8, CAPTION)
    window.set_wm_class(role, "IxoHarnessCheck")
    window.map()
    return window


def _fill(dpy, window, colour):
    gc = window.create_gc(foreground=colour)
    window.fill_rectangle(gc, 0, 0, 800, 600)
    dpy.flush()
    return gc


def client():
    dpy = xdisplay.Display()
    passing = _window(dpy, "passing")
    _fill(dpy, passing, 0)
    # Gone only once the session watches it for going away.
    while not passing.get_attributes().all_event_masks & X.StructureNotifyMask:
        dpy.sync()
    passing.destroy()
    kept = _window(dpy, "kept")
    _fill(dpy, kept, 0)  # the screen shown before anything was drawn
    gc = kept.create_gc(foreground=GREY)
    escape = dpy.keysym_to_keycode(XK.XK_Escape)
    while True:
        kept.fill_rectangle(gc, 0, 0, 800, 600)
        dpy.sync()
        while dpy.pending_events():
            event = dpy.next_event()
            if event.type == X.KeyPress and event.detail == escape:
                return 0


def check(session_module):
    session = session_module.GameSession(os.path.abspath(__file__), None, args=["--client"])
    try:
        role = session.window.toplevel.get_wm_class()
        if role is None or role[0] != "kept":
            raise AssertionError(f"the session settled on the window of class {role}")
        if session.screenshot("first frame").getpixel((400, 300)) != (128, 128, 128):
            raise AssertionError("the session took a blank paint for the first frame")
        session.press_escape()
        status = session.wait_exit()
        if status != 0:
            raise AssertionError(f"the client exited {status}\n{session.game_output()}")
    finally:
        session.close()
    print("ok: the session followed the kept window")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--client"]:
        sys.exit(client())
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import xsession

    sys.exit(check(xsession))
