# Sourced by the interop scripts that have the game write records for tsshogi to check: makes
# sure node and tsshogi are there, has TOOL write GAMES games from SEED into a fresh $work
# (removed on exit) and runs CHECKER on them, which also leaves tsshogi's own records there.
#   tsshogi_round TOOL GAMES SEED CHECKER WHAT
tsshogi_round() {
    local tool=$1 games=$2 seed=$3 checker=$4 what=$5 here
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    . "$here/require_node.sh"
    require_node_package tsshogi "$what"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "$tool" write "$work" "$games" "$seed"
    node "$here/$checker" "$work"
}
