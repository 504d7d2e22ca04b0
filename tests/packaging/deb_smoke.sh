#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it on this machine, checks the
# installed program with hardening-check, the manual page with man and the AppStream file with
# appstreamcli, starts `ixo-shogi` from / in a private Xvfb (board and pieces must show,
# Escape must end it with status 0), and removes the package again, checking that it leaves
# none of its files behind.
#
# This installs into /usr system-wide, so it is not part of ctest; ./setup.sh test runs it.
# It refuses to run when an ixo-shogi package is already installed, so that it never replaces
# one it did not put there.
#
# Usage: tests/packaging/deb_smoke.sh [BUILD_DIR]   (default: build-pkg in the repository)
# Environment: ARTIFACTS=DIR keeps the package and a screenshot there; JOBS (default 2).
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd -P)
build=${1:-$repo/build-pkg}
mkdir -p "$build"
# apt takes a bare relative name for a package name, so the .deb's path must be absolute.
build=$(cd "$build" && pwd -P)
jobs=${JOBS:-2}
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

installed() {
    dpkg-query -W -f='${Status}' ixo-shogi 2>/dev/null | grep -q 'install ok installed'
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

installed && fail "an ixo-shogi package is already installed; remove it first"

[ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ixo-shogi -j "$jobs" >/dev/null
rm -f "$build"/ixo-shogi_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/ixo-shogi_*.deb)
echo "== built $(basename "$package")"
dpkg-deb --field "$package" Package Version Architecture Section Depends
if [ -n "${ARTIFACTS:-}" ]; then
    mkdir -p "$ARTIFACTS"
    cp "$package" "$ARTIFACTS/"
fi

# Debian's own checks, at their strictest: any tag at all fails, info and pedantic ones too.
# An override (packaging/lintian-overrides, if ever needed) silences a tag that is wrong here.
echo "== lintian -I --pedantic"
if ! command -v lintian >/dev/null; then
    fail "lintian is not installed (Debian package lintian)"
fi
status=0
tags=$(lintian -I --pedantic "$package" 2>/dev/null) || status=$?
if [ -n "$tags" ]; then
    echo "$tags" >&2
    fail "lintian reports tags on $(basename "$package")"
fi
[ "$status" -eq 0 ] || fail "lintian failed with status $status"

# What the package asks for must be runtime libraries only, SDL 1.2 in either flavour.
depends=$(dpkg-deb --field "$package" Depends)
[[ $depends == *"libsdl1.2debian (>= 1.2.15) | libsdl1.2-compat-shim"* ]] ||
    fail "SDL 1.2 is not a choice of both flavours: $depends"
for needed in libsdl-image1.2 libsdl-mixer1.2 libstdc++6 libc6; do
    [[ $depends == *"$needed"* ]] || fail "the package does not depend on $needed"
done
[[ $depends != *-dev* ]] || fail "the package depends on development packages: $depends"
# The computer opponent's default engine, which the game can do without.
recommends=$(dpkg-deb --field "$package" Recommends)
[[ $recommends == *fairy-stockfish* ]] || fail "the package does not recommend fairy-stockfish"
[[ $depends != *fairy-stockfish* ]] || fail "the package depends on fairy-stockfish"

removed=
remove_package() {
    if [ -z "$removed" ] && installed; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ixo-shogi >/dev/null
    fi
    removed=yes
}
trap remove_package EXIT

# apt resolves the dependencies from the archive when some are missing; dpkg alone would not.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$package" >/dev/null
installed || fail "the package did not install"
mapfile -t files < <(dpkg -L ixo-shogi | while read -r path; do [ -f "$path" ] && echo "$path"; done)
echo "== installed ${#files[@]} files, among them:"
printf '   %s\n' /usr/games/ixo-shogi /usr/lib/games/ixo-shogi/ixo-shogi \
    /usr/share/applications/ixo-shogi.desktop /usr/share/icons/hicolor/256x256/apps/ixo-shogi.png
for path in /usr/games/ixo-shogi /usr/lib/games/ixo-shogi/ixo-shogi \
    /usr/share/games/ixo-shogi/image/board.jpg /usr/share/games/ixo-shogi/sound/move.wav \
    /usr/share/applications/ixo-shogi.desktop; do
    [ -e "$path" ] || fail "$path is not installed"
done
if ldd /usr/lib/games/ixo-shogi/ixo-shogi | grep 'not found'; then
    fail "the installed program lacks libraries"
fi
# A machine without build tools has none of the -dev packages: every library the program
# loads must come from a runtime package.
while read -r library; do
    owner=$(dpkg -S "$(readlink -f "$library")" 2>/dev/null | cut -d: -f1 | head -1) || true
    case $owner in
    *-dev) fail "$library comes from the development package $owner" ;;
    esac
done < <(ldd /usr/lib/games/ixo-shogi/ixo-shogi | awk '$3 ~ /^\// { print $3 }')
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/ixo-shogi.desktop ||
        fail "the installed desktop entry does not validate"
fi

# The hardening flags reached the program that was installed. Control-flow protection can
# only be marked on a program when the C library's start-up files are marked too; where
# they are not (Debian 12), no program on the system passes that check, so it is skipped.
program=/usr/lib/games/ixo-shogi/ixo-shogi
skip=()
startup=$(${CXX:-c++} -print-file-name=Scrt1.o 2>/dev/null || true)
if [ -f "$startup" ] && ! readelf -n "$startup" | grep -q 'x86 feature: IBT'; then
    echo "== hardening-check: control-flow protection skipped, $startup is not marked for it"
    skip=(--nocfprotection)
fi
hardening-check "${skip[@]}" "$program" || fail "hardening-check finds $program unprotected"
appstreamcli validate --pedantic --no-net /usr/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "the installed AppStream file does not validate"
warnings=$(man --warnings -l /usr/share/man/man6/ixo-shogi.6.gz 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
[ -f /usr/share/doc/ixo-shogi/copyright ] || fail "the copyright file is not installed"

# Started by name, as from a menu or a terminal. /usr/games is on every user's PATH on
# Debian but not always on root's.
case ":$PATH:" in
*:/usr/games:*) ;;
*) export PATH=$PATH:/usr/games ;;
esac
[ "$(command -v ixo-shogi)" = /usr/games/ixo-shogi ] ||
    fail "ixo-shogi on PATH is $(command -v ixo-shogi), not the packaged one"
"$repo/tests/packaging/launch_check.sh" /usr/share/games/ixo-shogi/image ixo-shogi

"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ixo-shogi >/dev/null
removed=yes
installed && fail "the package is still installed after removal"
left=()
for path in "${files[@]}"; do
    [ -e "$path" ] && left+=("$path")
done
[ -e /usr/share/games/ixo-shogi ] && left+=(/usr/share/games/ixo-shogi)
[ -e /usr/lib/games/ixo-shogi ] && left+=(/usr/lib/games/ixo-shogi)
[ "${#left[@]}" -eq 0 ] || fail "removal left behind: ${left[*]}"
echo "== the package installed, ran and was removed cleanly"
