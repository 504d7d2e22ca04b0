#!/usr/bin/env bash
# The whole test suite, end-to-end tests included, built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Any sanitizer report fails the test it happens in: ASan and
# UBSan abort, LeakSanitizer makes the process exit non-zero. Leaks kept inside system
# libraries are suppressed by tools/lsan.supp, each with its reason.
#
# Environment: SANITIZE_BUILD_DIR (default build-asan), JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$root/build-asan}
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIXO_SANITIZE=ON \
    -DIXO_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$jobs"

export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
