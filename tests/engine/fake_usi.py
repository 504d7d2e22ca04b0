#!/usr/bin/python3
"""A USI engine that misbehaves on purpose, as its arguments say, for the engine client's tests."""
import argparse
import os
import select
import signal
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--name", default="Fake Engine 1.0")
parser.add_argument("--slow-usiok", type=float, default=0.0, help="seconds before usiok")
parser.add_argument("--no-readyok", action="store_true")
parser.add_argument("--garbage", action="store_true", help="control bytes instead of usiok")
parser.add_argument("--endless-line", action="store_true", help="a line with no end instead")
parser.add_argument("--move", default="7g7f", help="what bestmove says: a move, resign, win")
parser.add_argument("--think", type=float, default=0.0, help="seconds before bestmove")
parser.add_argument("--crash-in-search", action="store_true")
parser.add_argument("--close-output-in-search", action="store_true")
parser.add_argument("--no-bestmove", action="store_true")
parser.add_argument("--ignore-stop", action="store_true")
parser.add_argument("--ignore-quit", action="store_true")
parser.add_argument("--variant", action="store_true", help="offer and confirm variants")
parser.add_argument("--report-fds", action="store_true", help="list open descriptors")
parser.add_argument("--log", help="append every line received to this file")
parser.add_argument("--multipv", type=int, default=1, help="report this many lines per search")
args = parser.parse_args()


def say(text):
    os.write(1, (text + "\n").encode())


def log(line):
    if args.log:
        with open(args.log, "a") as stream:
            stream.write(line + "\n")


def open_descriptors():
    # The listing's own descriptor is closed again by the time fstat looks.
    listed = sorted(int(name) for name in os.listdir("/proc/self/fd"))
    still_open = []
    for descriptor in listed:
        try:
            os.fstat(descriptor)
            still_open.append(descriptor)
        except OSError:
            pass
    return still_open


search_ends = None
variant_path = None
pending = b""
while True:
    timeout = None if search_ends is None else max(search_ends - time.monotonic(), 0)
    readable, _, _ = select.select([0], [], [], timeout)
    if search_ends is not None and time.monotonic() >= search_ends:
        search_ends = None
        say("info depth 3 score cp 42 pv %s" % args.move)
        say("bestmove " + args.move)
    if not readable:
        continue
    chunk = os.read(0, 4096)
    if not chunk:
        if args.ignore_quit:
            signal.pause()
        sys.exit(0)
    pending += chunk
    while b"\n" in pending:
        raw, pending = pending.split(b"\n", 1)
        line = raw.decode(errors="replace").strip()
        log(line)
        words = line.split()
        if not words:
            continue
        command = words[0]
        if command == "usi":
            if args.garbage:
                os.write(1, b"\x00\x01\x02\xff\xfe garbage\n")
                continue
            if args.endless_line:
                os.write(1, b"info string " + b"x" * 200000)
                continue
            time.sleep(args.slow_usiok)
            say("Fake banner line that is not USI")
            say("id name " + args.name)
            say("id author Nobody")
            say("option name Skill Level type spin default 20 min -20 max 20")
            say("option name Hash type spin default 16 min 1 max 1024")
            if args.variant:
                say("option name VariantPath type string default <empty>")
                say("option name UCI_Variant type combo default shogi var shogi")
            say("usiok")
        elif command == "setoption" and args.variant and "UCI_Variant" in words:
            name = words[-1]
            if variant_path and os.path.exists(variant_path) and name != "shogi":
                say("info string variant %s files 9 ranks 9" % name)
        elif command == "setoption" and "VariantPath" in words:
            variant_path = line.split(" value ", 1)[1]
        elif command == "isready":
            if args.report_fds:
                say("info string fds " + " ".join(str(fd) for fd in open_descriptors()))
            if not args.no_readyok:
                say("readyok")
        elif command == "go":
            say("info depth 1 score cp 10 pv " + args.move)
            if args.multipv > 1:
                for number in range(1, args.multipv + 1):
                    say("info depth 5 seldepth 7 multipv %d score cp %d nodes %d pv %s 3c3d"
                        % (number, 100 - 30 * number, 1000 * number, args.move))
                # A later, partial line for the second line alone: it deepens, nothing else.
                say("info depth 6 multipv 2")
            if args.crash_in_search:
                say("info string about to crash")
                os.kill(os.getpid(), signal.SIGSEGV)
            if args.close_output_in_search:
                os.close(1)
                signal.pause()
            if not args.no_bestmove:
                search_ends = time.monotonic() + args.think
        elif command == "stop":
            if search_ends is not None and not args.ignore_stop:
                search_ends = None
                say("bestmove " + args.move)
        elif command == "quit":
            if not args.ignore_quit:
                sys.exit(0)
