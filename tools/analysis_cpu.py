#!/usr/bin/python3
"""The game's own CPU while A's analysis runs in the window, with L's live lines as well.

usage: tools/analysis_cpu.py [GAME] [RECORD] [SECONDS]
       (default: build/ixo-shogi, the 134-move self-play game of ../shared/kif, 20)

Opens RECORD in a private Xvfb through the end-to-end harness, presses A (fairy-stockfish,
--analysis-time 0.5) and sums the game's utime + stime over SECONDS while the engine
analyses; then the same with L's live lines searching too, the list and graph repainted as
they fill in. The engine's own CPU is its own and is not counted.
"""
import os
import sys
import time

from Xlib import XK

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tools"))

from computer_cpu import cpu_seconds  # noqa: E402
from xsession import GameSession  # noqa: E402


def measure(pid, seconds):
    before = cpu_seconds(pid)
    started = time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - before) / (time.monotonic() - started)


def main():
    game = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "ixo-shogi")
    record = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        ROOT, "..", "shared", "kif", "games", "eng-2021-random-selfplay.kif")
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 20.0
    session = GameSession(game, os.path.join(ROOT, "image"),
                          args=[os.path.abspath(record), "--analysis-time", "0.5"])
    try:
        pid = session.process.pid
        session.key(XK.XK_a)
        share = measure(pid, seconds)
        print(f"A analysing: the game used {100 * share:.2f}% of one core over {seconds:.0f} s")
        session.key(XK.XK_Home)
        session.key(XK.XK_l)
        share = measure(pid, seconds)
        print(f"A and L searching: the game used {100 * share:.2f}% of one core over "
              f"{seconds:.0f} s")
        session.press_escape()  # stops the analysis
        session.press_escape()  # and leaves
        session.wait_exit()
    finally:
        session.close()


if __name__ == "__main__":
    main()
