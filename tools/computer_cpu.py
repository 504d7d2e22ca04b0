#!/usr/bin/python3
"""The game's own CPU while fairy-stockfish thinks, and the time from the player's move to
the engine's move on screen against the engine's own reported search time.

usage: tools/computer_cpu.py [GAME] [MOVES]   (default: build/ixo-shogi, 3)

Plays MOVES pawn moves for Blue at level 10 (4 s a move) in a private Xvfb through the
end-to-end harness, and sums the game's utime + stime over each engine search only. The
engine runs behind a shell that copies what it says to a log, so that the last
`info ... time N` before each bestmove can be set beside the time the player waited: what
is left over is ours (the go sent late, the answer read, judged, drawn and written).
"""
import os
import shutil
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import frame_model as model  # noqa: E402
from game_e2e import recorded_moves as record_lines  # noqa: E402
from xsession import GameSession  # noqa: E402

LEVEL_TIME_S = 4.0  # what level 10 gives the engine per move
PAWNS = [(2, 6, 2, 5), (7, 6, 7, 5), (3, 6, 3, 5), (5, 6, 5, 5)]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def recorded_moves(data_home):
    try:
        return record_lines(data_home)
    except AssertionError:  # no record until the first move is written
        return []


def logged_engine(folder):
    """A stand-in for fairy-stockfish that passes everything through and keeps its output."""
    engine = shutil.which("fairy-stockfish", path=os.environ.get("PATH", "") + ":/usr/games")
    if engine is None:
        raise SystemExit("fairy-stockfish is not installed")
    log = os.path.join(folder, "engine.log")
    wrapper = os.path.join(folder, "logged-engine")
    with open(wrapper, "w") as script:
        script.write(f'#!/bin/sh\n"{engine}" "$@" | tee -a "{log}"\n')
    os.chmod(wrapper, 0o755)
    return wrapper, log


def reported_times(log):
    """The last `info ... time N` before each bestmove, in ms (None where none came)."""
    times = []
    last = None
    with open(log) as lines:
        for line in lines:
            words = line.split()
            if words[:1] == ["info"] and "time" in words[:-1]:
                last = int(words[words.index("time") + 1])
            elif words[:1] == ["bestmove"]:
                times.append(last)
                last = None
    return times


def main():
    game = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "ixo-shogi")
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    folder = tempfile.mkdtemp(prefix="ixo-engine-log-")
    engine, log = logged_engine(folder)
    session = GameSession(game, os.path.join(ROOT, "image"),
                          args=["--rules", "standard", "--computer", "red", "--level", "10",
                                "--engine", engine])
    thinking = 0.0
    used = 0.0
    try:
        pid = session.process.pid
        for index, (column, row, to_column, to_row) in enumerate(PAWNS[:count]):
            session.click(*model.square_centre(column, row))
            before = cpu_seconds(pid)
            started = time.monotonic()
            session.click(*model.square_centre(to_column, to_row))
            while len(recorded_moves(session.data_home)) < 2 * (index + 1):
                if time.monotonic() - started > 30:
                    raise SystemExit(f"no answer to move {index + 1}\n{session.game_output()}")
                time.sleep(0.01)
            answered = time.monotonic() - started
            spent = cpu_seconds(pid) - before
            thinking += answered
            used += spent
            searched = reported_times(log)[index]
            overhead = (f"{answered * 1000 - searched:+.0f} ms ours" if searched is not None
                        else "no info time reported")
            print(f"move {index + 1}: the answer on screen {answered * 1000:.0f} ms after the "
                  f"click, the engine's own search {searched} ms: {overhead} (it was given "
                  f"{LEVEL_TIME_S:.0f} s); game CPU {spent:.2f} s")
        print(f"game: {100 * used / thinking:.2f}% of one core over {thinking:.1f} s of "
              "engine thinking")
        session.press_escape()
        session.wait_exit()
    finally:
        session.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
