#!/usr/bin/env bash
# Start-up time and peak memory of the built game: from process start to its first presented
# frame (all 33 pictures and the font loaded and drawn), in a private Xvfb, RUNS times.
# The game leaves right after that frame; /usr/bin/time -v gives its peak resident memory.
#
# usage: tools/startup_time.sh [GAME] [RUNS]   (default: build/ixo-shogi, 10)
# Needs Xvfb, xdpyinfo (x11-utils), gcc and /usr/bin/time (Debian package "time").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(realpath "${1:-$root/build/ixo-shogi}")
runs=${2:-10}

# shellcheck source=tools/private_xvfb.sh
source "$root/tools/private_xvfb.sh"

cd "$work/run"
for run in $(seq "$runs"); do
    IXO_PROBE_T0=$(date +%s%N) DISPLAY=":$display" SDL_AUDIODRIVER=dummy \
        LD_PRELOAD="$work/frame_probe.so" IXO_PROBE_EXIT_AFTER=1 \
        /usr/bin/time -v -o "$work/time.txt" "$game" 2>"$work/probe.txt" ||
        { cat "$work/probe.txt" "$work/time.txt" >&2; exit 1; }
    startup=$(sed -n 's/probe: first frame after \([0-9.]*\) ms/\1/p' "$work/probe.txt")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    echo "run $run: first frame after $startup ms, peak resident $peak KiB"
done
