#!/usr/bin/env bash
# CPU use of the built game while it sits idle with its window open in a private Xvfb.
# Samples the game's and the X server's CPU time over SECONDS after a short settling time,
# and counts the frames the game presented. With IXO_MOTION_RATE set (tools/motion_cpu.sh),
# the pointer moves over the board that many times a second while the CPU time is sampled.
#
# usage: [SCALE=N] tools/idle_cpu.sh [GAME] [SECONDS]   (default: build/ixo-shogi, 10)
# IXO_GAME_ARGS gives the game more options, split at spaces: with "--clock 30m --byoyomi
# 30s" it measures a board whose clock runs.
# Needs Xvfb, xdpyinfo (x11-utils), gcc and SDL 1.2's headers; for motion, the Debian
# python3 with python3-xlib.
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
# shellcheck disable=SC2086  # IXO_GAME_ARGS is split at spaces on purpose
DISPLAY=":$display" SDL_AUDIODRIVER=dummy LD_PRELOAD="$work/frame_probe.so" \
    "$game" ${scale_args[@]+"${scale_args[@]}"} ${IXO_GAME_ARGS:-} 2>"$work/probe.txt" &
pid=$!
sleep 3
mover=
if [ -n "${IXO_MOTION_RATE:-}" ]; then
    DISPLAY=":$display" /usr/bin/python3 "$root/tools/xtest_input.py" motion "$seconds" \
        "$IXO_MOTION_RATE" --scale "$scale" &
    mover=$!
fi
game_before=$(cpu_ticks "$pid")
x_before=$(cpu_ticks "$xvfb")
sleep "$seconds"
game_after=$(cpu_ticks "$pid")
x_after=$(cpu_ticks "$xvfb")
[ -n "$mover" ] && wait "$mover"
# SDL turns SIGTERM into a quit request, so the game ends through its own shut-down.
kill -TERM "$pid"
wait "$pid" || true
pid=

awk -v g=$((game_after - game_before)) -v x=$((x_after - x_before)) -v t="$ticks_per_second" \
    -v s="$seconds" 'BEGIN {
        printf "game: %.1f%% of one core over %d s\n", 100 * g / t / s, s
        printf "Xvfb: %.1f%% of one core over the same time\n", 100 * x / t / s
    }'
grep 'probe:' "$work/probe.txt" | grep -v 'first frame' || true
