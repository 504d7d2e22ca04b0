#!/usr/bin/python3
"""Kills a game that is writing its record at random moments, and checks what is left.

Usage: kill_during_write.py RECORD_WRITER [RUNS]

Each run starts `record_writer play` on a fresh folder with a fresh seed, kills it with
SIGKILL after a random delay, and then demands that the folder holds at most one record, and
that `record_writer check` finds it whole and equal to one of the positions the game passed
through. Prints the figures of all runs at the end.
"""

import glob
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def main():
    writer = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    scratch = tempfile.mkdtemp(prefix="ixo-kill-")
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    failures = []
    recorded = 0
    leftovers = 0
    try:
        for run in range(runs):
            seed = random.randrange(1 << 31)
            folder = os.path.join(scratch, f"run{run}", "games")
            # The scene's ../image/ does not exist from here: no pictures are loaded.
            workdir = os.path.join(scratch, f"run{run}", "work")
            os.makedirs(workdir)
            game = subprocess.Popen([writer, "play", folder, str(seed)], cwd=workdir, env=env)
            time.sleep(random.uniform(0.1, 1.0))
            game.send_signal(signal.SIGKILL)
            game.wait()
            records = glob.glob(os.path.join(folder, "*.kifu"))
            leftovers += len(glob.glob(os.path.join(folder, ".*")))
            if len(records) > 1:
                failures.append(f"run {run} (seed {seed}): {len(records)} records")
                continue
            if not records:
                continue  # killed before its first move
            recorded += 1
            check = subprocess.run([writer, "check", records[0], str(seed)], cwd=workdir,
                                   env=env, capture_output=True, text=True, timeout=120)
            if check.returncode != 0:
                failures.append(f"run {run} (seed {seed}): {check.stderr.strip()}")
            else:
                print(f"run {run}: {check.stdout.strip()}")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{runs} kills, {recorded} records checked, {leftovers} temporary files left behind")
    for failure in failures:
        print(f"FAIL: {failure}")
    # Most runs must have written something, or the kills prove nothing.
    if recorded < runs // 2:
        print(f"FAIL: only {recorded} of {runs} runs wrote a record before the kill")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
