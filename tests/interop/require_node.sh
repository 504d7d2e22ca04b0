# Sourced by the interop scripts: makes sure node and one pinned package are there.
#   require_node_package PACKAGE WHAT
# Exits 77 (skipped) when node is missing on a developer machine, 1 in CI, which installs it;
# a missing package is always a failure, since `npm ci` here installs every one.
require_node_package() {
    local package=$1 what=$2 here
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    if ! command -v node >/dev/null; then
        if [ "${CI:-}" = true ]; then
            echo "node is not installed; ./setup.sh test installs it" >&2
            exit 1
        fi
        echo "node is not installed: $what is skipped"
        exit 77
    fi
    if [ ! -d "$here/node_modules/$package" ]; then
        echo "tests/interop/node_modules is missing $package: run 'npm ci' in tests/interop" \
            "(./setup.sh test does)" >&2
        exit 1
    fi
}
