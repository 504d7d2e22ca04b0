#!/usr/bin/env bash
# Builds the game, installs it into a temporary prefix and starts the installed command from
# / in a private Xvfb: the board must show with its pieces, and Escape must end it with 0.
#
# Usage: tests/packaging/install_smoke.sh [BUILD_DIR]   (default: build-pkg in the repository)
# Environment: ARTIFACTS=DIR keeps a screenshot of the window there.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd -P)
build=${1:-$repo/build-pkg}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

[ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ixo-shogi -j "${JOBS:-2}" >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null
echo "installed into $prefix"
"$repo/tests/packaging/launch_check.sh" "$prefix/share/ixo-shogi/image" "$prefix/bin/ixo-shogi"
