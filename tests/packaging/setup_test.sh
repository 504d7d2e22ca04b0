#!/usr/bin/env bash
# setup.sh names versioned packages from what the system has. These machines run one
# release only, so the choice is checked with the words each supported release's clang
# prints, and the dry run is checked against stand-ins that record any attempt to act.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd -P)
# shellcheck source=../../setup.sh
source "$repo/setup.sh"
set +e

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_runtime() {
    local got
    got=$(clang_runtime_package "$1" 2>&1)
    [ "$got" = "$2" ] || fail "'$1' gives '$got', expected $2"
}
expect_runtime "Debian clang version 14.0.6" libclang-rt-14-dev                  # Debian 12
expect_runtime "Debian clang version 19.1.7 (3+b1)" libclang-rt-19-dev           # Debian 13
expect_runtime "Ubuntu clang version 14.0.0-1ubuntu1.1" libclang-common-14-dev   # Ubuntu 22.04
expect_runtime "Ubuntu clang version 18.1.3 (1ubuntu1)" libclang-rt-18-dev       # Ubuntu 24.04
# Upstream builds print no vendor.
expect_runtime "clang version 17.0.6" libclang-rt-17-dev
if clang_runtime_package "gcc (Debian 12.2.0-14) 12.2.0" >/dev/null 2>&1; then
    fail "a version text that is not clang's was accepted"
fi

# The dry run, on a system that has nothing yet: every command that could install or build
# is a stand-in that notes its call, and Ubuntu 22.04's clang answers.
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
for tool in apt-get sudo cmake ctest make; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\nexit 1\n' "$tool" "$stubs" >"$stubs/$tool"
done
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\nexit 100\n' >"$stubs/apt-cache"
printf '#!/bin/sh\necho "Ubuntu clang version 14.0.0-1ubuntu1.1"\necho "Target: x86_64-pc-linux-gnu"\n' \
    >"$stubs/clang"
chmod +x "$stubs"/*

for run in "--dry-run test" "DRY_RUN=1 test"; do
    if [ "${run%% *}" = DRY_RUN=1 ]; then
        output=$(PATH="$stubs:$PATH" DRY_RUN=1 "$repo/setup.sh" test 2>&1)
    else
        output=$(PATH="$stubs:$PATH" "$repo/setup.sh" --dry-run test 2>&1)
    fi
    status=$?
    [ "$status" -eq 0 ] || fail "setup.sh $run exited with $status: $output"
    would=$(grep '^Would install:' <<<"$output")
    for package in libclang-common-14-dev devscripts lintian libsdl1.2-dev cmake; do
        [[ " $would " == *" $package "* ]] || fail "setup.sh $run would not install $package: $output"
    done
done
[ ! -s "$stubs/calls" ] || fail "the dry run acted: $(cat "$stubs/calls")"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "setup.sh: package choices for four releases and the dry run are right"
