#!/usr/bin/env bash
# Records the game writes must open in an independent KIF implementation (tsshogi, pinned by
# the lock file here) with the same moves, and records that implementation writes, in UTF-8
# and in Shift_JIS with CRLF as Windows programs keep them, must read back in the game.
#   run_interop.sh PATH/TO/kif_interop
# Exits 77 (skipped) when node is missing on a developer machine; CI installs it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1

. "$here/tsshogi_round.sh"
tsshogi_round "$tool" "${INTEROP_GAMES:-12}" 20261207 tsshogi_check.cjs "the interop test"

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
