#!/usr/bin/python3
"""A USI engine for the analyser's tests. It knows no rules: asked about the position after N
moves, it answers with the Nth of --answers and the Nth of --scores (centipawns from the side
to move), and misbehaves at the search its arguments name."""
import argparse
import os
import select
import signal
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--answers", default="", help="comma-separated best moves, one per search")
parser.add_argument("--scores", default="", help="comma-separated scores; 'mate:N' for a mate")
parser.add_argument("--lines", default="", help="comma-separated lines, moves joined by '/'")
parser.add_argument("--think", type=float, default=0.0, help="seconds before bestmove")
parser.add_argument("--crash-at", type=int, default=-1)
parser.add_argument("--hang-at", type=int, default=-1, help="never answer this search")
parser.add_argument("--garble-at", type=int, default=-1, help="control bytes in an info")
parser.add_argument("--log", help="append every line received to this file")
args = parser.parse_args()

answers = args.answers.split(",") if args.answers else []
scores = args.scores.split(",") if args.scores else []
lines = args.lines.split(",") if args.lines else []


def say(text):
    os.write(1, (text + "\n").encode())


def pick(values, index, default):
    return values[index] if index < len(values) and values[index] else default


searched = 0
search_ends = None
pending_answer = None
plies = 0
buffer = b""
while True:
    timeout = None if search_ends is None else max(search_ends - time.monotonic(), 0)
    readable, _, _ = select.select([0], [], [], timeout)
    if search_ends is not None and time.monotonic() >= search_ends:
        search_ends = None
        say("bestmove " + pending_answer)
    if not readable:
        continue
    chunk = os.read(0, 4096)
    if not chunk:
        sys.exit(0)
    buffer += chunk
    while b"\n" in buffer:
        raw, buffer = buffer.split(b"\n", 1)
        line = raw.decode(errors="replace").strip()
        if args.log:
            with open(args.log, "a") as stream:
                stream.write(line + "\n")
        words = line.split()
        if not words:
            continue
        command = words[0]
        if command == "usi":
            say("id name Fake Analyst")
            say("option name Skill Level type spin default 20 min -20 max 20")
            say("usiok")
        elif command == "isready":
            say("readyok")
        elif command == "position":
            plies = len(words) - words.index("moves") - 1 if "moves" in words else 0
        elif command == "go":
            index = searched
            searched += 1
            answer = pick(answers, plies, "resign")
            score = pick(scores, plies, "0")
            line_moves = pick(lines, plies, answer).replace("/", " ")
            if score.startswith("mate:"):
                say("info depth 5 score mate %s pv %s" % (score[5:], line_moves))
            else:
                say("info depth 5 score cp %s pv %s" % (score, line_moves))
            if index == args.crash_at:
                os.kill(os.getpid(), signal.SIGSEGV)
            if index == args.garble_at:
                os.write(1, b"info depth 6 score cp \x01\x02\n")
            if index == args.hang_at:
                continue
            pending_answer = answer
            search_ends = time.monotonic() + args.think
        elif command == "stop":
            if search_ends is not None:
                search_ends = None
                say("bestmove " + pending_answer)
        elif command == "quit":
            sys.exit(0)
