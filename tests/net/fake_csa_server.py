#!/usr/bin/python3
"""A CSA game server (protocol 1.2.1) that misbehaves on purpose, as its arguments say, for
the server client's tests. It listens on a free port of 127.0.0.1 and prints "PORT n".

With --players 1 it plays the other side itself from --moves; with --players 2 it pairs two
clients and relays their moves. Every move is sent back with ",T" and the --charge units."""
import argparse
import os
import select
import socket
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--players", type=int, default=1)
parser.add_argument("--password", default="secret")
parser.add_argument("--side", default="+", help="the (first) client's side")
parser.add_argument("--game-id", default="fake-game-1")
parser.add_argument("--opponent", default="FakeOpponent")
parser.add_argument("--moves", default="", help="the server's own moves, comma separated")
parser.add_argument("--end", default="", help="lines to send once --moves run out")
parser.add_argument("--end-after", type=int, default=-1, help="send --end after n moves")
parser.add_argument("--charge", type=int, default=1, help="units charged for each move")
parser.add_argument("--time-unit", default="1sec")
parser.add_argument("--total", type=int, default=600)
parser.add_argument("--byoyomi", type=int, default=10)
parser.add_argument("--increment", type=int, default=0)
parser.add_argument("--least", type=int, default=0)
parser.add_argument("--roundup", default="NO")
parser.add_argument("--max-moves", type=int, default=256)
parser.add_argument("--position", default="PI\n+", help="the Position block, lines by \\n")
parser.add_argument("--played", default="", help="moves already played, by semicolons")
parser.add_argument("--to-move", default="")
# Misbehaviour.
parser.add_argument("--refuse-login", action="store_true")
parser.add_argument("--close-at-login", action="store_true", help="close without an answer")
parser.add_argument("--echo-login", action="store_true", help="repeat LOGIN back as garbage")
parser.add_argument("--reject", action="store_true", help="the opponent rejects the game")
parser.add_argument("--no-start", action="store_true", help="never answer AGREE")
parser.add_argument("--cut-summary", action="store_true", help="stop in the middle of it")
parser.add_argument("--drop-after", type=int, default=-1, help="close after n moves")
parser.add_argument("--garbage-after", type=int, default=-1)
parser.add_argument("--silent-after", type=int, default=-1, help="say nothing after n moves")
parser.add_argument("--kachi", default="#JISHOGI,#WIN", help="the answer to %%KACHI")
parser.add_argument("--timed-kachi", action="store_true",
                    help="pass %%KACHI on with its time before the result, as shogi-server does")
parser.add_argument("--games", type=int, default=1,
                    help="games to serve, one after another, before leaving")
parser.add_argument("--log", help="append every line received to this file")
args = parser.parse_args()


def log(line):
    if args.log:
        with open(args.log, "a") as stream:
            stream.write(line + "\n")


def summary(side):
    to_move = args.to_move or args.position.split("\n")[-1]
    lines = [
        "BEGIN Game_Summary", "Protocol_Version:1.2", "Protocol_Mode:Server",
        "Format:Shogi 1.0", "Declaration:Jishogi 1.1", "Game_ID:" + args.game_id,
        "Name+:" + names["+"], "Name-:" + names["-"], "Your_Turn:" + side,
        "Rematch_On_Draw:NO", "To_Move:" + to_move, "Max_Moves:%d" % args.max_moves,
        "BEGIN Time", "Time_Unit:" + args.time_unit, "Total_Time:%d" % args.total,
        "Byoyomi:%d" % args.byoyomi, "Increment:%d" % args.increment,
        "Least_Time_Per_Move:%d" % args.least, "Time_Roundup:" + args.roundup, "END Time",
        "BEGIN Position"] + args.position.split("\n")
    lines += [move for move in args.played.split(";") if move]
    lines += ["END Position", "END Game_Summary"]
    if args.cut_summary:
        lines = lines[:8]
    return "\n".join(lines) + "\n"


class Client:
    def __init__(self, connection):
        self.connection = connection
        self.pending = b""
        self.name = None
        self.side = None
        self.agreed = False

    def send(self, text):
        try:
            self.connection.sendall(text.encode())
        except OSError:
            pass


listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", 0))
listener.listen(4)
print("PORT %d" % listener.getsockname()[1], flush=True)

other = "-" if args.side == "+" else "+"
names = {other: args.opponent}
clients = []
players = {}
games_done = 0


def new_game():
    """The state of one game, from before its logins."""
    global moves_made, server_moves, turn, silent, started
    players.clear()
    names[args.side] = ""
    moves_made = 0
    server_moves = [move for move in args.moves.split(",") if move]
    turn = args.to_move or args.position.split("\n")[-1]
    silent = False
    started = False


def game_over():
    """Everyone has left: the server goes, or waits for the next game's logins afresh."""
    global games_done
    games_done += 1
    if games_done >= args.games:
        sys.exit(0)
    new_game()


new_game()


def everyone(text):
    for client in players.values():
        client.send(text)


def after_move():
    """Counts a move and does what the script says happens after it."""
    global moves_made, silent, turn
    moves_made += 1
    turn = "-" if turn == "+" else "+"
    if moves_made == args.drop_after:
        for client in clients:
            client.connection.close()
        sys.exit(0)
    if moves_made == args.garbage_after:
        everyone("+7776FU,Tx garbage\n")
    if moves_made == args.silent_after:
        silent = True
    if moves_made == args.end_after:
        everyone("\n".join(args.end.split(",")) + "\n")


def server_turn():
    """The server's own side moves from its script, or ends the game when it runs out."""
    if args.players != 1 or silent or not started or turn != other:
        return
    if server_moves:
        move = server_moves.pop(0)
        everyone("%s,T%d\n" % (move, args.charge))
        after_move()
        return
    if args.end:
        everyone("\n".join(args.end.split(",")) + "\n")


def handle(client, line):
    global started, silent
    log(line)
    if line == "":
        return
    if client.name is None:
        words = line.split(" ")
        if len(words) != 3 or words[0] != "LOGIN":
            client.send("LOGIN:incorrect\n")
            return
        if args.close_at_login:
            client.connection.close()
            sys.exit(0)
        if args.echo_login:
            client.send("?? " + line + "\n")
            return
        if args.refuse_login or words[2] != args.password:
            client.send("LOGIN:incorrect\n")
            return
        client.name = words[1]
        client.send("LOGIN:%s OK\n" % client.name)
        client.side = args.side if not players else other
        players[client.side] = client
        names[client.side] = client.name
        if len(players) == args.players:
            for waiting in players.values():
                waiting.send(summary(waiting.side))
        return
    if silent:
        return
    if line == "LOGOUT":
        client.send("LOGOUT:completed\n")
        client.connection.close()
        clients.remove(client)
        if not clients:
            game_over()
        return
    if line == "AGREE " + args.game_id:
        if args.no_start:
            return
        if args.reject:
            client.send("REJECT:%s by %s\n" % (args.game_id, args.opponent))
            return
        client.agreed = True
        if all(player.agreed for player in players.values()):
            everyone("START:%s\n" % args.game_id)
            started = True
            if args.silent_after == 0:
                silent = True
            server_turn()
        return
    if line == "REJECT " + args.game_id:
        everyone("REJECT:%s by %s\n" % (args.game_id, client.name))
        return
    if line == "%TORYO":
        for player in players.values():
            player.send("%TORYO\n#RESIGN\n" + ("#LOSE\n" if player is client else "#WIN\n"))
        return
    if line == "%KACHI":
        reason, outcome = args.kachi.split(",")
        if args.timed_kachi:
            everyone("%%KACHI,T%d\n" % args.charge)
        for player in players.values():
            mine = player is client
            flipped = {"#WIN": "#LOSE", "#LOSE": "#WIN"}.get(outcome, outcome)
            player.send("%%KACHI\n%s\n%s\n" % (reason, outcome if mine else flipped))
        return
    if line[:1] in "+-" and len(line) >= 7:
        everyone("%s,T%d\n" % (line[:7], args.charge))
        after_move()
        server_turn()
        return
    client.send("? unknown command\n")


while True:
    readable, _, _ = select.select([listener] + [c.connection for c in clients], [], [])
    for ready in readable:
        if ready is listener:
            connection, _ = listener.accept()
            clients.append(Client(connection))
            continue
        client = next(c for c in clients if c.connection is ready)
        chunk = ready.recv(4096)
        if not chunk:
            clients.remove(client)
            ready.close()
            if not clients and started:
                game_over()
            continue
        client.pending += chunk
        while b"\n" in client.pending and client in clients:
            raw, client.pending = client.pending.split(b"\n", 1)
            handle(client, raw.decode(errors="replace").rstrip("\r"))
