#!/usr/bin/env bash
# The CSA and KI2 records the game writes (and its Shift_JIS KIF) must open in an independent
# implementation (tsshogi, pinned by the lock file here) with the same start, moves and ending,
# and the CSA and KI2 records that implementation writes must open in the game the same way.
#   run_formats_interop.sh PATH/TO/formats_interop
# Exits 77 (skipped) when node is missing on a developer machine; CI installs it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1

. "$here/tsshogi_round.sh"
tsshogi_round "$tool" "${INTEROP_GAMES:-16}" 20261209 formats_check.cjs "the formats interop test"

read_back=0
for usi in "$work"/ts-*.usi; do
    base=${usi%.usi}
    for record in "$base.csa" "$base.ki2"; do
        "$tool" read "$record" "$base"
        read_back=$((read_back + 1))
    done
done
echo "the game read $read_back CSA and KI2 records written by tsshogi with the same moves"
