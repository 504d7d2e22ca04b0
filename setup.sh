#!/usr/bin/env bash
# One entry for players and developers:
#   ./setup.sh play [ARGS...]   install what is missing, build, and start the game with
#                     these arguments (./setup.sh play --continue, ... play GAME.kifu)
#   ./setup.sh test   install what is missing, build, and run the whole test suite: plain,
#                     the package checks, sanitized, a short fuzz run, and against the other
#                     SDL 1.2 flavour
#   ./setup.sh --dry-run play|test   (or DRY_RUN=1) print the packages that would be
#                     installed, and do nothing else
# Non-interactive and repeatable: only missing Debian packages are installed, with sudo only
# when not already root. Versioned package names are worked out from the system, so the
# same script serves Debian 12 and 13 and Ubuntu 22.04 and 24.04.
set -euo pipefail

# What building needs. SDL 1.2 itself comes from either the classic library or the
# sdl12-compat layer; whichever is present is kept. SDL_ttf and fontconfig draw the text of
# records (comments, names) that the bitmap font cannot.
build_packages=(cmake g++ make pkg-config libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev libfontconfig-dev libx11-dev)
# What the test suite needs on top (a Japanese font for the outline text's tests); the clang
# runtime and hardening-check's package are added by name once known (see below).
test_packages=(googletest libgtest-dev libbenchmark-dev fairy-stockfish gpsshogi fonts-ipafont-gothic xvfb xauth xdotool x11-utils python3 python3-pil python3-xlib clang valgrind desktop-file-utils dpkg-dev libsdl2-2.0-0 lintian appstream man-db)

# The package that holds clang's sanitizer and fuzzer runtimes, from the first line of
# `clang --version`. LLVM's Debian packaging moved them out of libclang-common-N-dev into
# libclang-rt-N-dev with 14.0.6, which Debian 12 ships; Ubuntu 22.04 ships 14.0.0 in the
# older layout, and both lines use the new one from LLVM 15 on.
clang_runtime_package() {
    local text=$1 major vendor
    if [[ ! $text =~ ^(([A-Za-z]+)[[:space:]]+)?clang[[:space:]]+version[[:space:]]+([0-9]+) ]]; then
        echo "setup: cannot read a clang version from '$text'" >&2
        return 1
    fi
    vendor=${BASH_REMATCH[2]}
    major=${BASH_REMATCH[3]}
    if [ "$major" -ge 15 ] || { [ "$major" -eq 14 ] && [ "$vendor" != Ubuntu ]; }; then
        echo "libclang-rt-$major-dev"
    else
        echo "libclang-common-$major-dev"
    fi
}

# `clang --version`'s first line, or, before clang is installed, the same words made from
# the release's name and the version the archive would install.
clang_version_text() {
    if command -v clang >/dev/null; then
        clang --version | head -1
        return
    fi
    local vendor candidate
    vendor=$(. /etc/os-release 2>/dev/null && echo "${ID:-debian}")
    candidate=$(apt-cache policy clang 2>/dev/null | awk '$1 == "Candidate:" { print $2 }')
    # The metapackage's version is the default major version: 1:14.0-55.7~deb12u1 is clang 14.
    candidate=${candidate#*:}
    echo "${vendor^} clang version ${candidate%%[.-]*}"
}

# hardening-check comes with devscripts; a release that gives it a package of its own is
# spared devscripts' many dependencies.
hardening_check_package() {
    if apt-cache show hardening-check >/dev/null 2>&1; then
        echo hardening-check
    else
        echo devscripts
    fi
}

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
    if [ -n "$dry_run" ]; then
        echo "Needs: ${wanted[*]}"
        echo "Would install: ${missing[*]:-nothing, all are installed}"
        exit 0
    fi
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

# Sourcing the script (as its test does) defines the functions above and runs nothing.
if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    return 0
fi

# Records named on the command line are relative to where the player is.
user_dir=$PWD
cd "$(dirname "$0")"
repo=$PWD
dry_run=${DRY_RUN:-}
[ "$dry_run" = 0 ] && dry_run=
if [ "${1:-}" = --dry-run ]; then
    dry_run=1
    shift
fi
mode=${1:-}
[ $# -gt 0 ] && shift
jobs=$(nproc 2>/dev/null || echo 2)

case "$mode" in
play)
    install_missing "${build_packages[@]}"
    build build -DBUILD_TESTING=OFF -DIXO_BENCHMARKS=OFF
    # Started from the player's own folder, so that every argument means what it would mean
    # to the installed command; the game finds the repository's pictures and sounds beside
    # its build folder when that folder's ../image/ has none.
    cd "$user_dir"
    exec "$repo/build/ixo-shogi" "$@"
    ;;
test)
    # node and npm may come from elsewhere than Debian; only when absent are Debian's taken.
    node_packages=()
    command -v node >/dev/null || node_packages+=(nodejs)
    command -v npm >/dev/null || node_packages+=(npm)
    if [ -n "$dry_run" ]; then
        runtime=$(clang_runtime_package "$(clang_version_text)" 2>/dev/null) ||
            runtime="<clang's-runtime,named-once-clang-is-installed>"
        install_missing "${build_packages[@]}" "${test_packages[@]}" \
            ${node_packages[@]+"${node_packages[@]}"} "$runtime" "$(hardening_check_package)"
    fi
    install_missing "${build_packages[@]}" "${test_packages[@]}" ${node_packages[@]+"${node_packages[@]}"}
    # Named from what the first round left: clang's own version and apt's updated lists.
    install_missing "$(clang_runtime_package "$(clang_version_text)")" "$(hardening_check_package)"
    # The independent KIF reader the records are checked against, at the version locked.
    (cd tests/interop && npm ci --no-audit --no-fund --loglevel=error)
    build build
    # The package made from this build, checked by lintian and hardening-check, installed,
    # started and removed again.
    JOBS="$jobs" tests/packaging/deb_smoke.sh build
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
    echo "usage: $0 [--dry-run] play [ARGS...] | test" >&2
    exit 2
    ;;
esac
