#!/usr/bin/env bash
# Every real record in the shared folder, read into the game's tree and written again, must be
# the same tree node by node as tsshogi reads from the original (moves, variations, comments,
# bookmarks, headers), and a game with a line taken back must show it to tsshogi as a variation.
#   run_tree_interop.sh PATH/TO/kif_interop RECORDS_DIR
# Exits 77 (skipped) when node, or the shared folder, is missing on a developer machine.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$1
records=${IXO_REAL_KIF:-$2}

. "$here/require_node.sh"
require_node_package tsshogi "the tree interop test"
if [ ! -d "$records/games" ]; then
    echo "no shared records in $records: the tree interop test is skipped"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for record in "$records"/games/* "$records"/positions/*; do
    name=$(basename "$record")
    "$tool" tree "$record" "$work/${name%.*}"
done
"$tool" takeback "$work/takeback"
node "$here/tsshogi_tree.cjs" "$work"
