#!/usr/bin/env bash
# Records the game writes must open in an independent KIF implementation (tsshogi, pinned by
# the lock file here) with the same moves, and records that implementation writes, in UTF-8
# and in Shift_JIS with CRLF as Windows programs keep them, must read back in the game.
#   run_interop.sh PATH/TO/kif_interop
# Exits 77 (skipped) when node is missing on a developer machine; CI installs it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1
games=${INTEROP_GAMES:-12}

. "$here/require_node.sh"
require_node_package tsshogi "the interop test"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" write "$work" "$games" 20261207
node "$here/tsshogi_check.cjs" "$work"

read_back=0
for usi in "$work"/ts-*.usi; do
    base=${usi%.usi}
    iconv -f UTF-8 -t CP932 "$base-crlf.kif" >"$base-sjis.kif"
    for record in "$base.kif" "$base-sjis.kif"; do
        "$tool" read "$record" "$usi"
        read_back=$((read_back + 1))
    done
done
echo "the game read $read_back records written by tsshogi with the same moves"
