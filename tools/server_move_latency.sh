#!/usr/bin/env bash
# Server-move-to-frame latency of the built game in a private Xvfb; see
# tools/server_move_latency.py, which plays the server's side and times each move.
#
# usage: [DEPTH=16] tools/server_move_latency.sh [GAME] [GAMES]
#   (default: build/ixo-shogi, 4 games of nine timed moves each)
# Needs what tools/private_xvfb.sh needs, and the Debian python3 with python3-xlib.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(realpath "${1:-$root/build/ixo-shogi}")
games=${2:-4}
# shellcheck source=tools/private_xvfb.sh
source "$root/tools/private_xvfb.sh"
echo "screen depth $depth, load average $(cut -d' ' -f1-3 /proc/loadavg)"
cd "$work/run"
DISPLAY=":$display" /usr/bin/python3 "$root/tools/server_move_latency.py" "$game" --games "$games"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
