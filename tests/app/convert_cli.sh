#!/usr/bin/env bash
# ixo-shogi --convert as a player runs it: a record in, another format out, the exit status
# telling a script what happened, and nothing written when it fails.
#   convert_cli.sh PATH/TO/ixo-shogi
set -euo pipefail
game=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "convert_cli: $*" >&2; exit 1; }

cat >"$work/game.csa" <<'CSA'
V2.2
N+Blue player
N-Red player
PI
+
+7776FU
T3
-3334FU
T5
%TORYO
CSA

SDL_VIDEODRIVER=dummy "$game" --convert "$work/game.csa" "$work/game.kifu" ||
    fail "a good record did not convert"
grep -q '７六歩' "$work/game.kifu" || fail "the moves are not in the KIF written"
grep -q '投了' "$work/game.kifu" || fail "the ending is not in the KIF written"
"$game" --convert "$work/game.kifu" "$work/again.csa" || fail "KIF back to CSA failed"
grep -q '^+7776FU' "$work/again.csa" || fail "the CSA written lost the first move"

printf 'V2.2\nPI\n+\n+7755FU\n' >"$work/bad.csa"
status=0
"$game" --convert "$work/bad.csa" "$work/bad.kif" 2>"$work/said" || status=$?
[ "$status" -eq 1 ] || fail "a refused move gave exit $status, not 1"
grep -q 'bad.csa:4' "$work/said" || fail "the refusal does not name the file and line: $(cat "$work/said")"
[ ! -e "$work/bad.kif" ] || fail "a failed conversion left a file behind"

status=0
"$game" --convert "$work/game.csa" "$work/game.txt" 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown output format gave exit $status, not 2"
echo "convert_cli: ok"
