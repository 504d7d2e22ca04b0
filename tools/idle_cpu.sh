#!/usr/bin/env bash
# CPU use of the built game while it sits idle with its window open in a private Xvfb: the
# loop has no frame timer and pauses 1 ms per drawn frame, so it keeps drawing. Samples the
# game's and the X server's CPU time over SECONDS after a short settling time, and the frames
# the game presented per second.
#
# usage: tools/idle_cpu.sh [GAME] [SECONDS]   (default: build/ixo-shogi, 10)
# Needs Xvfb, xdpyinfo (x11-utils) and gcc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(realpath "${1:-$root/build/ixo-shogi}")
seconds=${2:-10}

# shellcheck source=tools/private_xvfb.sh
source "$root/tools/private_xvfb.sh"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; private_xvfb_cleanup' EXIT

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
ticks_per_second=$(getconf CLK_TCK)

cd "$work/run"
DISPLAY=":$display" SDL_AUDIODRIVER=dummy LD_PRELOAD="$work/frame_probe.so" \
    "$game" 2>"$work/probe.txt" &
pid=$!
sleep 3
game_before=$(cpu_ticks "$pid")
x_before=$(cpu_ticks "$xvfb")
sleep "$seconds"
game_after=$(cpu_ticks "$pid")
x_after=$(cpu_ticks "$xvfb")
# SDL turns SIGTERM into a quit request, so the game ends through its own shut-down.
kill -TERM "$pid"
wait "$pid" || true
pid=

awk -v g=$((game_after - game_before)) -v x=$((x_after - x_before)) -v t="$ticks_per_second" \
    -v s="$seconds" 'BEGIN {
        printf "game: %.0f%% of one core over %d s\n", 100 * g / t / s, s
        printf "Xvfb: %.0f%% of one core over the same time\n", 100 * x / t / s
    }'
grep 'probe:' "$work/probe.txt" | grep -v 'first frame' || true
