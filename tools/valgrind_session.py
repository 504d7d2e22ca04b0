#!/usr/bin/env python3
"""Plays a short scripted game under valgrind memcheck and fails on any leak of our own.

    valgrind_session.py GAME [--images DIR] [--log FILE]

The game runs in a private Xvfb, driven through XTest by the end-to-end tests' session
(tests/e2e/xsession.py), which waits for whole frames instead of sleeping: start, select a
pawn, cancel, select it again and move it, Red answers, Blue's bishop captures Red's bishop,
then Escape. Memcheck must report no definite and no indirect leak and no error once
tools/valgrind.supp has removed what the system libraries keep for themselves.
"""
import argparse
import os
import re
import shlex
import shutil
import stat
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.dont_write_bytecode = True  # leave no cache behind in the test folder

from xsession import GameSession  # noqa: E402


def square_centre(column, row):
    return 64 + 56 * column + 28, 48 + 56 * row + 28


LABEL_BOX = (650, 50, 700, 82)  # where "Blue" or "Red" is written


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("game")
    parser.add_argument("--images", default=os.path.join(ROOT, "image"))
    parser.add_argument("--log", default=None, help="keep valgrind's report here")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="ixo-valgrind-")
    log = args.log or os.path.join(work, "memcheck.log")
    # The session starts the program it is given with no arguments, so valgrind comes in
    # through a wrapper.
    wrapper = os.path.join(work, "game-under-valgrind")
    command = ["valgrind", "--tool=memcheck", "--leak-check=full",
               "--show-leak-kinds=definite,indirect", "--errors-for-leak-kinds=definite,indirect",
               "--error-exitcode=99", "--num-callers=40", "--track-origins=no",
               f"--suppressions={os.path.join(ROOT, 'tools', 'valgrind.supp')}",
               "--gen-suppressions=all", f"--log-file={log}", os.path.abspath(args.game)]
    with open(wrapper, "w") as script:
        script.write("#!/bin/sh\nexec " + " ".join(shlex.quote(part) for part in command) + "\n")
    os.chmod(wrapper, os.stat(wrapper).st_mode | stat.S_IXUSR)

    session = GameSession(wrapper, args.images, start=False)
    try:
        # The sounds as well, so that loading and playing them is watched too.
        os.symlink(os.path.join(ROOT, "sound"), os.path.join(session.tmp, "sound"))
        session.start()
        labels = [session.screenshot("start").crop(LABEL_BOX).tobytes()]

        def move(origin, target):
            session.click(*square_centre(*origin))
            session.click(*square_centre(*target))
            labels.append(session.screenshot(f"after {origin}-{target}").crop(LABEL_BOX).tobytes())

        session.click(*square_centre(2, 6))             # select Blue's pawn
        session.click(*square_centre(2, 6), button=3)   # cancel with the right button
        move((2, 6), (2, 5))                            # select again and move
        move((6, 2), (6, 3))                            # Red opens its bishop's diagonal
        move((1, 7), (7, 1))                            # Blue's bishop takes Red's bishop
        session.press_escape()
        status = session.wait_exit(timeout=180)
    finally:
        session.close()

    with open(log, errors="replace") as report:
        text = report.read()
    failures = []
    if status != 0:
        failures.append(f"the game exited with status {status}")
    # Each move passes the turn, so the label must alternate Blue, Red, Blue, Red.
    if not (labels[0] != labels[1] != labels[2] != labels[3] and labels[0] == labels[2]):
        failures.append("the moves did not pass the turn as scripted")
    for kind in ("definitely", "indirectly"):
        found = re.search(rf"{kind} lost: ([\d,]+) bytes", text)
        lost = int(found.group(1).replace(",", "")) if found else 0
        print(f"{kind} lost: {lost} bytes")
        if lost:
            failures.append(f"{kind} lost {lost} bytes")
    errors = re.search(r"ERROR SUMMARY: ([\d,]+) errors", text)
    print(errors.group(0) if errors else "no error summary in the report")
    if not errors or errors.group(1) != "0":
        failures.append("memcheck reported errors")
    if failures:
        print(text[-20000:])
        print("FAILED: " + "; ".join(failures) + f" (report: {log})")
        return 1
    print("no leaks and no errors")
    if args.log is None:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
