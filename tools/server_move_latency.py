#!/usr/bin/python3
"""Server-move-to-frame latency: plays the server's side of a CSA game against the built game
in the X server on $DISPLAY, and times each of the server's moves from its sending to the X
server's report (DAMAGE) that the game's window shows it.

  server_move_latency.py GAME [--games N]

Each game is a fresh run of GAME logged in as Blue. Blue's pawns are clicked one square
forward, file by file, through XTest; after each, once the window has settled, the server
sends a Red pawn one square forward, on the mirrored file, and the destination square is watched
until it changes. Nine timed moves a game; prints the median, the 90th percentile and the
worst over all of them. Both ends run on this machine, so one monotonic clock times both.
"""

import argparse
import os
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xtest_input import Pointer, Screen, find_game, spread, square_centre  # noqa: E402

from Xlib import display as xdisplay  # noqa: E402

GAME_ID = "latency-1"
SETTLE = 0.2  # after Blue's move, before Red's is sent: the click's frames are done
WAIT_FOR_FRAME = 2.0  # a move not on screen by then counts as lost

SUMMARY = """BEGIN Game_Summary
Protocol_Version:1.2
Protocol_Mode:Server
Format:Shogi 1.0
Game_ID:{id}
Name+:timer
Name-:server
Your_Turn:+
To_Move:+
BEGIN Time
Time_Unit:1sec
Total_Time:600
Byoyomi:10
END Time
BEGIN Position
PI
+
END Position
END Game_Summary
"""


class Peer:
    def __init__(self, connection):
        self.connection = connection
        self.pending = b""

    def line(self, timeout=10.0):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            self.connection.settimeout(max(0.01, deadline - time.monotonic()))
            chunk = self.connection.recv(4096)
            if not chunk:
                raise SystemExit("the game closed the connection")
            self.pending += chunk
        raw, self.pending = self.pending.split(b"\n", 1)
        return raw.decode().rstrip("\r")

    def expect(self, start, timeout=10.0):
        while True:
            text = self.line(timeout)
            if text.startswith(start):
                return text

    def send(self, text):
        self.connection.sendall(text.encode())


def one_game(game, dpy, listener, port, folder):
    env = dict(os.environ, IXO_CSA_PASSWORD="latency", SDL_AUDIODRIVER="dummy",
               SDL_VIDEODRIVER="x11", HOME=folder, XDG_DATA_HOME=os.path.join(folder, "data"),
               XDG_CONFIG_HOME=os.path.join(folder, "config"))
    process = subprocess.Popen([game, "--mute", "--server", f"127.0.0.1:{port}", "--user",
                                "timer"], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    timings = []
    lost = 0
    try:
        listener.settimeout(20)
        connection, _ = listener.accept()
        peer = Peer(connection)
        peer.expect("LOGIN ")
        peer.send("LOGIN:timer OK\n" + SUMMARY.format(id=GAME_ID))
        peer.expect("AGREE")
        peer.send(f"START:{GAME_ID}\n")
        pointer = Pointer(dpy, find_game(dpy))
        time.sleep(0.5)
        for column in range(9):
            file = 9 - column
            pointer.move(*square_centre(column, 6))
            pointer.button(1, True)
            pointer.button(1, False)
            dpy.sync()
            time.sleep(0.05)
            pointer.move(*square_centre(column, 5))
            pointer.button(1, True)
            pointer.button(1, False)
            dpy.sync()
            ours = f"+{file}7{file}6FU"
            peer.expect(ours)
            peer.send(f"{ours},T1\n")
            time.sleep(SETTLE)
            screen = Screen(pointer, *square_centre(8 - column, 3))
            before = screen.pixel()
            screen.drain()
            sent = time.monotonic()
            peer.send(f"-{10 - file}3{10 - file}4FU,T1\n")
            seen, _ = screen.first_showing(lambda value: value != before, sent + WAIT_FOR_FRAME)
            if seen is None:
                lost += 1
            else:
                timings.append((seen - sent) * 1000.0)
        peer.send("%TORYO\n#RESIGN\n#WIN\n")
        connection.close()
    finally:
        process.terminate()
        process.wait()
    return timings, lost


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("game")
    parser.add_argument("--games", type=int, default=4)
    args = parser.parse_args()
    dpy = xdisplay.Display()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]
    timings = []
    lost = 0
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(args.games):
            got, missed = one_game(os.path.abspath(args.game), dpy, listener, port, folder)
            timings += got
            lost += missed
    if not timings:
        sys.exit(f"no server move was seen on screen ({lost} lost)")
    timings.sort()
    print(f"server moves: {len(timings) + lost} sent, {len(timings)} shown, {lost} lost")
    print(f"latency ms (sent to the window showing it, by DAMAGE): {spread(timings)}")


if __name__ == "__main__":
    main()
