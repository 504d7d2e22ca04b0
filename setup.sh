#!/usr/bin/env bash
# One entry for players and developers:
#   ./setup.sh play   install what is missing, build, and start the game
#   ./setup.sh test   install what is missing, build, and run the whole test suite: plain,
#                     sanitized, a short fuzz run, and against the other SDL 1.2 flavour
# Non-interactive and repeatable: only missing Debian packages are installed, with sudo only
# when not already root.
set -euo pipefail

cd "$(dirname "$0")"
mode=${1:-}
jobs=$(nproc 2>/dev/null || echo 2)

# What building needs. SDL 1.2 itself comes from either the classic library or the
# sdl12-compat layer; whichever is present is kept.
build_packages=(cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev libx11-dev)
# What the test suite needs on top.
test_packages=(googletest libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils python3 python3-pil python3-xlib clang libclang-rt-14-dev valgrind desktop-file-utils dpkg-dev libsdl2-2.0-0)

missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$package"
        fi
    done
}

install_missing() {
    local wanted=("$@")
    if ! dpkg-query -W -f='${Status}' libsdl1.2-dev 2>/dev/null | grep -q 'install ok installed' &&
        ! dpkg-query -W -f='${Status}' libsdl1.2-compat-dev 2>/dev/null | grep -q 'install ok installed'; then
        wanted+=(libsdl1.2-dev)
    fi
    local missing
    mapfile -t missing < <(missing_packages "${wanted[@]}")
    [ "${#missing[@]}" -eq 0 ] && return 0
    if ! command -v apt-get >/dev/null; then
        echo "Missing packages: ${missing[*]}. Install them with your system's package manager." >&2
        exit 1
    fi
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$jobs"
}

case "$mode" in
play)
    install_missing "${build_packages[@]}"
    build build -DBUILD_TESTING=OFF -DIXO_BENCHMARKS=OFF
    # The game reads its pictures from ../image/, which from build/ is the repository's image/.
    cd build
    exec ./ixo-shogi
    ;;
test)
    # node and npm may come from elsewhere than Debian; only when absent are Debian's taken.
    node_packages=()
    command -v node >/dev/null || node_packages+=(nodejs)
    command -v npm >/dev/null || node_packages+=(npm)
    install_missing "${build_packages[@]}" "${test_packages[@]}" ${node_packages[@]+"${node_packages[@]}"}
    # The independent KIF reader the records are checked against, at the version locked.
    (cd tests/interop && npm ci --no-audit --no-fund --loglevel=error)
    build build
    # The same suite once more with AddressSanitizer and UndefinedBehaviorSanitizer, a short
    # bounded fuzz run of the turn controller, and the suite against the SDL 1.2 flavour this
    # machine does not have installed (classic SDL or sdl12-compat), so that both keep working.
    JOBS="$jobs" tools/sanitized_suite.sh
    JOBS="$jobs" tools/fuzz_short.sh
    JOBS="$jobs" tests/packaging/other_sdl_suite.sh
    # Last, so that the run ends with the plain suite's summary.
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
