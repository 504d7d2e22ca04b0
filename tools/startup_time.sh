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

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
gcc -O2 -shared -fPIC -o "$work/frame_probe.so" "$root/tools/frame_probe.c" -ldl
mkdir "$work/run"
ln -s "$root/image" "$work/image"

exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    display=$(head -n1 "$work/display" 2>/dev/null || true)
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
# The number comes before the server takes connections; wait until it answers.
for _ in $(seq 100); do
    xdpyinfo -display ":$display" >/dev/null 2>&1 && break
    sleep 0.1
done

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
