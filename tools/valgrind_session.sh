#!/usr/bin/env bash
# A scripted session of the built game under valgrind memcheck, in a private Xvfb:
# start, select, cancel, move, capture, Escape. Fails on any definite or indirect leak or
# memcheck error outside tools/valgrind.supp.
#
# usage: tools/valgrind_session.sh [GAME]   (default: build/ixo-shogi)
# Needs valgrind, Xvfb and the Debian python3 with python3-xlib and python3-pil.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=${1:-$root/build/ixo-shogi}
exec /usr/bin/python3 "$root/tools/valgrind_session.py" "$game" --images "$root/image"
