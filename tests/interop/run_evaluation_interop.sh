#!/usr/bin/env bash
# The analysis comments the game writes, read by tsshogi: scores, mates and engine lines.
#   run_evaluation_interop.sh PATH/TO/evaluation_interop
# Exits 77 (skipped) when node is missing on a developer machine.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1

. "$here/require_node.sh"
require_node_package tsshogi "the evaluation comments interop test"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work/analysed.kif" "$work/analysed.expected"
node "$here/tsshogi_evaluation.cjs" "$work/analysed.kif" "$work/analysed.expected"
