#!/usr/bin/env bash
# The standard rules against an independent implementation (shogiops, pinned by the lock
# file here): the legal moves and the check of every position of seeded random games.
#   run_rules_oracle.sh PATH/TO/rules_oracle
# Exits 77 (skipped) when node is missing on a developer machine; CI installs it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1
games=${ORACLE_GAMES:-40}

. "$here/require_node.sh"
require_node_package shogiops "the rules oracle"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$games" 20261208 >"$work/positions.tsv"
node "$here/shogiops_check.mjs" "$work/positions.tsv"
