#!/usr/bin/env bash
# The game's CPU while it waits for an opponent on a server who never moves: the stand-in
# server pairs us as Red and then says nothing, so the game sits with the opponent's clock
# running. Prints the share of a core over SECONDS (default 60), from /proc/PID/stat.
#
# Usage: tools/server_wait_cpu.sh [game binary] [seconds]
# Needs Xvfb and xdpyinfo (x11-utils), as the other measuring scripts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "${1:-$root/build/ixo-shogi}")
seconds=${2:-60}
# shellcheck source=tools/private_xvfb.sh
. "$root/tools/private_xvfb.sh"

server_pid=
game_pid=
finish() {
    # A killed process's status fails the wait; under set -e that would end this before the
    # X server is stopped.
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
    private_xvfb_cleanup
}
trap finish EXIT

/usr/bin/python3 "$root/tests/net/fake_csa_server.py" --side=- --silent-after 0 \
    >"$work/server.out" 2>&1 &
server_pid=$!
for _ in $(seq 50); do
    grep -q '^PORT ' "$work/server.out" 2>/dev/null && break
    sleep 0.1
done
port=$(sed -n 's/^PORT //p' "$work/server.out")
(cd "$work/run" && HOME="$work" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    IXO_CSA_PASSWORD=secret DISPLAY=":$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    exec "$binary" --mute --server "127.0.0.1:$port" --user waiter >"$work/game.out" 2>&1) &
game_pid=$!
sleep 3
ticks=$(getconf CLK_TCK)
before=$(awk '{print $14 + $15}' "/proc/$game_pid/stat")
sleep "$seconds"
after=$(awk '{print $14 + $15}' "/proc/$game_pid/stat")
awk -v used=$((after - before)) -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "waiting for the opponent: %d ticks in %d s, %.2f%% of a core\n", used, s, 100 * used / (hz * s) }'
