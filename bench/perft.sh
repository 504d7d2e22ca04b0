#!/usr/bin/env bash
# Perft speed: ixo-perft against the published counts, in leaves per second, beside
# shogiops's perft (tests/interop's pinned copy) on the same machine in the same run.
#   bench/perft.sh [BUILD_DIR]     (default build)
# SHOGIOPS_DEPTH (default 4) sets shogiops's depth from the start; its perft(5) takes about
# two minutes, so the default compares leaves per second at depth 4 against our depth 5.
# Exits non-zero when a count differs from the published one.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
perft=$build/ixo-perft
modules=$root/tests/interop/node_modules
start=startpos
drops='l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1'

now() { date +%s.%N; }

# run NAME DEPTH EXPECTED SFEN: prints leaves, seconds and leaves per second.
run() {
    local name=$1 depth=$2 expected=$3 sfen=$4 began ended leaves
    began=$(now)
    leaves=$("$perft" "$depth" "$sfen" | tail -1)
    ended=$(now)
    if [ "$leaves" != "$expected" ]; then
        echo "perft $depth of $name: $leaves, published $expected" >&2
        exit 1
    fi
    awk -v n="$name" -v d="$depth" -v l="$leaves" -v b="$began" -v e="$ended" 'BEGIN {
        s = e - b; printf "ixo-perft %-6s depth %d: %11d leaves in %7.3f s, %6.1f M leaves/s\n",
        n, d, l, s, l / s / 1e6 }'
}

run start 5 19861490 "$start"
run drops 4 516925165 "$drops"

began=$(now)
"$perft" 5 "$start" >/dev/null
ended=$(now)
ours=$(awk -v b="$began" -v e="$ended" 'BEGIN { print 19861490 / (e - b) }')

if ! command -v node >/dev/null || [ ! -d "$modules/shogiops" ]; then
    echo "shogiops: not measured (needs node and 'npm ci' in tests/interop)"
    exit 0
fi
depth=${SHOGIOPS_DEPTH:-4}
read -r leaves seconds < <(node "$root/bench/shogiops_perft.mjs" "$modules" "$depth" \
    lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1)
awk -v d="$depth" -v l="$leaves" -v s="$seconds" -v o="$ours" 'BEGIN {
    printf "shogiops  start  depth %d: %11d leaves in %7.3f s, %6.3f M leaves/s\n", d, l, s,
        l / s / 1e6
    printf "ixo-perft start depth 5 is %.0f times shogiops'\''s leaves per second\n", o / (l / s) }'
