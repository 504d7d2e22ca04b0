#!/usr/bin/env bash
# Key-to-frame latency of a step through a long record with the move list showing, in a
# private Xvfb: COUNT presses of Left and Right in turn, each timed from the sending of the
# key to the X server's report that the window changed. Prints the median, the 90th
# percentile and the worst.
#
# usage: [SCALE=N] [DEPTH=16] tools/step_latency.sh RECORD [GAME] [COUNT]
#   RECORD is a game record (KIF, KI2 or CSA) of a few hundred moves; the game opens it at
#   its end and the steps go back and on from there. GAME defaults to build/ixo-shogi,
#   COUNT to 200.
# Needs what tools/private_xvfb.sh needs, and the Debian python3 with python3-xlib.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
record=$(realpath "${1:?usage: tools/step_latency.sh RECORD [GAME] [COUNT]}")
game=$(realpath "${2:-$root/build/ixo-shogi}")
count=${3:-200}

# shellcheck source=tools/private_xvfb.sh
source "$root/tools/private_xvfb.sh"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; private_xvfb_cleanup' EXIT

cd "$work/run"
HOME="$work" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    DISPLAY=":$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    "$game" --mute ${scale_args[@]+"${scale_args[@]}"} "$record" 2>"$work/game.txt" &
pid=$!
echo "screen depth $depth, scale $scale, load average $(cut -d' ' -f1-3 /proc/loadavg)"
DISPLAY=":$display" /usr/bin/python3 "$root/tools/xtest_input.py" steps "$count" --scale "$scale"
kill -TERM "$pid"
wait "$pid" || true
pid=
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
