#!/usr/bin/env bash
# The standard rules against an independent implementation (shogiops, pinned by the lock
# file here): the legal moves and the check of every position of seeded random games.
#   run_rules_oracle.sh PATH/TO/rules_oracle
# Exits 77 (skipped) when node is missing on a developer machine; CI installs it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1
games=${ORACLE_GAMES:-40}

if ! command -v node >/dev/null; then
    if [ "${CI:-}" = true ]; then
        echo "node is not installed; ./setup.sh test installs it" >&2
        exit 1
    fi
    echo "node is not installed: the rules oracle is skipped"
    exit 77
fi
if [ ! -d "$here/node_modules/shogiops" ]; then
    echo "tests/interop/node_modules is missing shogiops: run 'npm ci' in tests/interop" \
        "(./setup.sh test does)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$games" 20261208 >"$work/positions.tsv"
node "$here/shogiops_check.mjs" "$work/positions.tsv"
