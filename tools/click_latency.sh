#!/usr/bin/env bash
# Click-to-frame latency of the built game in a private Xvfb: COUNT XTest clicks that
# alternately select a pawn and cancel, each timed from the sending of its release to the
# first presented frame that shows its effect (stamped by the frame probe around SDL_Flip).
# Prints the median, the 90th percentile and the worst, and how many clicks never showed.
#
# usage: [SCALE=N] [DEPTH=16] tools/click_latency.sh [GAME] [COUNT] [HOLD_MS]
#   (default: build/ixo-shogi, 200, 5). HOLD_MS 0 sends press and release at once, like
#   `xdotool click`. SCALE=N starts the game with --scale N; DEPTH=16 measures on a 16-bit
#   screen instead of a 24-bit one. THINKING=1 plays against
#   `--computer red --level 10` under the standard rules, with a byoyomi of 60 s so that the
#   engine searches for the whole run: Blue moves first, and the clicks select and cancel
#   while Red thinks. The engine's CPU over the clicks is printed, to show that it searched.
# Needs what tools/private_xvfb.sh needs, and the Debian python3 with python3-xlib.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(realpath "${1:-$root/build/ixo-shogi}")
count=${2:-200}
hold=${3:-5}

# shellcheck source=tools/private_xvfb.sh
source "$root/tools/private_xvfb.sh"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; private_xvfb_cleanup' EXIT

game_args=(${scale_args[@]+"${scale_args[@]}"})
click_args=()
if [ "${THINKING:-0}" = 1 ]; then
    game_args+=(--rules standard --computer red --level 10 --clock 0 --byoyomi 60s)
    click_args=(--move-first)
fi

# The pixel watched is the middle of the square that Blue's pawn in column 2 may step to:
# lit while it is selected, plain board otherwise. Enlarged, it is the first window pixel of
# that frame pixel's block.
: >"$work/stamps"
cd "$work/run"
DISPLAY=":$display" SDL_AUDIODRIVER=dummy LD_PRELOAD="$work/frame_probe.so" \
    IXO_PROBE_STAMPS="$work/stamps" IXO_PROBE_PIXEL=$((204 * scale)),$((356 * scale)) \
    "$game" ${game_args[@]+"${game_args[@]}"} 2>"$work/probe.txt" &
pid=$!
# utime + stime in clock ticks of the game's engine, the game's one child
engine_ticks() {
    local child
    child=$(pgrep -P "$pid" | head -n1) || true
    [ -n "$child" ] && awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$child/stat"
}
echo "screen depth $depth, scale $scale, load average $(cut -d' ' -f1-3 /proc/loadavg)"
DISPLAY=":$display" /usr/bin/python3 "$root/tools/xtest_input.py" clicks "$count" \
    "$work/stamps" --hold "$hold" --scale "$scale" ${click_args[@]+"${click_args[@]}"} &
clicker=$!
if [ "${THINKING:-0}" = 1 ]; then
    sleep 1.5  # the engine is asked once Blue's move is on screen
    before=$(engine_ticks || echo 0)
fi
wait "$clicker"
if [ "${THINKING:-0}" = 1 ]; then
    after=$(engine_ticks || echo 0)
    awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { printf "engine CPU over the clicks: %.1f s\n", t / hz }'
fi
kill -TERM "$pid"
wait "$pid" || true
pid=
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
