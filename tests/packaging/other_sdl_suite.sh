#!/usr/bin/env bash
# Builds the game and runs its whole test suite against the SDL 1.2 flavour that is NOT the
# one installed on this machine: sdl12-compat (SDL 1.2 on top of SDL 2) when the classic
# library's development package is installed, the classic library otherwise.
#
# The two flavours' development packages replace each other, so the other one is never
# installed: its packages are downloaded and unpacked into a private folder, the build finds
# it there through pkg-config, and the tests load its library through LD_LIBRARY_PATH. The
# script then checks that the test programs really did load that library and not the
# system's.
#
# Usage: tests/packaging/other_sdl_suite.sh [compat|classic] [BUILD_DIR]
#   defaults: the flavour not installed; build-compat or build-classic in the repository.
# Environment: JOBS (default 2); CTEST_ARGS, extra arguments for ctest (for example
# "-LE e2e").
# Needs apt-get (downloads only) and dpkg-deb. Installs the other flavour's runtime
# dependencies (such as libsdl2-2.0-0) when they are missing; those are plain libraries.
# Where the archive has no classic library any more (Debian 13), there is no other flavour:
# the script says so and exits 0.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd -P)
jobs=${JOBS:-2}

# sdl12-compat calls itself 1.2.50 or later; the classic library ended at 1.2.15. The version
# tells the flavours apart where the package names do not: from Debian 13 on, sdl12-compat
# is what libsdl1.2-dev and libsdl1.2debian install.
is_compat_version() {
    local patch=${1#*:}
    patch=${patch#1.2.}
    patch=${patch%%[!0-9]*}
    [ -n "$patch" ] && [ "$patch" -ge 50 ]
}

flavour=${1:-}
if [ -z "$flavour" ]; then
    if is_compat_version "$(pkg-config --modversion sdl 2>/dev/null)"; then
        flavour=classic
    else
        flavour=compat
    fi
fi
case $flavour in
compat)
    sdl_packages=(libsdl1.2-compat libsdl1.2-compat-shim libsdl1.2-compat-dev)
    library_package=libsdl1.2-compat
    ;;
classic)
    sdl_packages=(libsdl1.2debian libsdl1.2-dev)
    library_package=libsdl1.2debian
    candidate=$(apt-cache policy libsdl1.2debian 2>/dev/null | awk '$1 == "Candidate:" { print $2 }')
    if [ -z "$candidate" ] || [ "$candidate" = "(none)" ] || is_compat_version "$candidate"; then
        echo "== SKIPPED: this release has no classic SDL 1.2 to test against" \
            "(libsdl1.2debian: ${candidate:-unknown}); sdl12-compat is the only flavour here"
        exit 0
    fi
    ;;
*)
    echo "usage: $0 [compat|classic] [BUILD_DIR]" >&2
    exit 2
    ;;
esac
build=${2:-$repo/build-$flavour}
mkdir -p "$build"
build=$(cd "$build" && pwd -P)
# SDL_image's and SDL_mixer's headers include "SDL.h" from their own folder, so they are
# unpacked beside the private SDL headers; their libraries stay the system's.
dev_packages=(libsdl-image1.2-dev libsdl-mixer1.2-dev)

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
root=$build/sdl-root
libdir=$root/usr/lib/$multiarch
debs=$build/sdl-debs

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

echo "== SDL 1.2 flavour under test: $flavour (private copy in $root)"

mkdir -p "$debs"
(
    cd "$debs"
    if ! apt-get download "${sdl_packages[@]}" "${dev_packages[@]}" >/dev/null 2>download.log; then
        "${sudo[@]}" apt-get update -qq >/dev/null
        apt-get download "${sdl_packages[@]}" "${dev_packages[@]}" >/dev/null
    fi
)
rm -rf "$root"
for deb in "$debs"/*.deb; do
    dpkg-deb -x "$deb" "$root"
done

# The private library's own dependencies (SDL 2 under sdl12-compat; ALSA, PulseAudio and X
# libraries under the classic one) are plain runtime libraries, installed system-wide under
# whatever names this release gives them.
library_depends=$(dpkg-deb -f "$(ls "$debs/${library_package}"_*.deb | head -1)" Depends)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get satisfy -y -qq --no-install-recommends \
    "$library_depends" >/dev/null

# The unpacked pkg-config files name /usr; point them at the private copy.
for pc in "$libdir"/pkgconfig/*.pc; do
    [ -L "$pc" ] && continue
    sed -i -E "s#^(prefix|exec_prefix|libdir|includedir)=/usr#\\1=$root/usr#" "$pc"
done
# Development links whose library is not unpacked (SDL_image, SDL_mixer) point at the
# system's copy instead of nowhere.
for link in "$libdir"/*.so; do
    if [ -L "$link" ] && [ ! -e "$link" ]; then
        target=$(readlink "$link")
        ln -sf "/usr/lib/$multiarch/$(basename "$target")" "$link"
    fi
done

export PKG_CONFIG_PATH=$libdir/pkgconfig
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

echo "== pkg-config: $(pkg-config --cflags --libs sdl SDL_image SDL_mixer)"
case $(pkg-config --cflags sdl) in
*"$root"*) ;;
*)
    echo "FAIL: pkg-config does not find the private SDL" >&2
    exit 1
    ;;
esac

# A fresh configure, so that no SDL found by an earlier run is kept in the cache.
rm -f "$build/CMakeCache.txt"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIXO_BENCHMARKS=OFF >"$build/configure.log"
cmake --build "$build" -j "$jobs" >"$build/build.log" 2>&1 || {
    tail -50 "$build/build.log" >&2
    exit 1
}

# The compiler read the private SDL headers: the flavour's version is compiled in.
probe=$build/sdl-probe
cat >"$probe.cpp" <<'PROBE'
#include <cstdio>
#include <cstring>

#include "SDL.h"
#include "SDL_image.h"

int main() {
    const SDL_version* linked = SDL_Linked_Version();
    std::printf("compiled %d.%d.%d linked %d.%d.%d\n", SDL_MAJOR_VERSION, SDL_MINOR_VERSION,
                SDL_PATCHLEVEL, linked->major, linked->minor, linked->patch);
    return 0;
}
PROBE
# shellcheck disable=SC2046  # pkg-config's answer is a list of words
c++ -o "$probe" "$probe.cpp" $(pkg-config --cflags --libs sdl SDL_image)
versions=$("$probe")
echo "== probe: $versions"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expected_patch=$(pkg-config --modversion sdl | cut -d. -f3)
[ "$versions" = "compiled 1.2.$expected_patch linked 1.2.$expected_patch" ] ||
    fail "headers or library are not those of the $flavour flavour (1.2.$expected_patch)"

# Every test program that uses SDL resolves it to the private copy (the rules' tests link
# no SDL at all).
mapfile -t programs < <(find "$build/tests" -maxdepth 2 -type f -executable -name 'test_*')
sdl_programs=0
for program in "${programs[@]}"; do
    listing=$(ldd "$program")
    grep -q 'libSDL-1.2.so.0' <<<"$listing" || continue
    sdl_programs=$((sdl_programs + 1))
    resolved=$(awk '$1 == "libSDL-1.2.so.0" { print $3 }' <<<"$listing")
    case $resolved in
    "$libdir"/*) ;;
    *) fail "$(basename "$program") loads libSDL-1.2.so.0 from '$resolved'" ;;
    esac
done
[ "$sdl_programs" -gt 0 ] || fail "no test program links SDL 1.2"
echo "== $sdl_programs test programs load SDL 1.2 from $libdir"

ctest_status=0
# shellcheck disable=SC2086  # CTEST_ARGS is a list of words
ctest --test-dir "$build" --output-on-failure -j "$jobs" ${CTEST_ARGS:-} || ctest_status=$?

# While the suite ran SDL, the flavour's own library was mapped: SDL 2 underneath for
# sdl12-compat, and for the classic flavour the private classic library without SDL 2.
trace=$build/loader-trace
rm -f "$trace".*
for program in "${programs[@]}"; do
    case $(basename "$program") in
    test_app | test_media | test_game)
        LD_DEBUG=libs LD_DEBUG_OUTPUT=$trace SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
            "$program" >/dev/null 2>&1 || true
        break
        ;;
    esac
done
if ! ls "$trace".* >/dev/null 2>&1; then
    fail "no SDL test program could be traced"
else
    loaded=$(grep -h 'calling init:' "$trace".* | sed 's/.*calling init: //' | sort -u)
    echo "== libraries of SDL initialised in a test run:"
    echo "$loaded" | grep -i sdl | sed 's/^/   /'
    case $flavour in
    compat)
        echo "$loaded" | grep -q "^$libdir/.*sdl12-compat/libSDL-1.2.so" ||
            echo "$loaded" | grep -q "^$libdir/libSDL-1.2.so" ||
            fail "the private sdl12-compat library was not loaded"
        echo "$loaded" | grep -q 'libSDL2-2.0.so' || fail "SDL 2 was not loaded underneath"
        ;;
    classic)
        echo "$loaded" | grep -q "^$libdir/libSDL-1.2.so" ||
            fail "the private classic library was not loaded"
        if echo "$loaded" | grep -q 'libSDL2-2.0.so'; then fail "SDL 2 was loaded"; fi
        ;;
    esac
fi

[ "$ctest_status" -eq 0 ] || fail "the test suite failed on the $flavour flavour"
if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "== the test suite passed on the $flavour flavour of SDL 1.2"
