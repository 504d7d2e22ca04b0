#!/usr/bin/env bash
# The bounded fuzz run for CI: builds the game scene fuzzer with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then feeds it frames for FUZZ_SECONDS (default 60) starting from
# a generated seed corpus. Exits non-zero when the fuzzer finds a crash, a sanitizer report or
# a broken invariant; the input that did it is left in the build folder.
#
# Longer runs: FUZZ_SECONDS=600 tools/fuzz_short.sh
# Environment: FUZZ_BUILD_DIR (default build-fuzz), JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DIXO_FUZZ=ON -DIXO_SANITIZE=ON -DBUILD_TESTING=OFF -DIXO_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz_game_scene -j "$jobs"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
/usr/bin/python3 "$root/tools/fuzz_seeds.py" "$corpus"

# The dummy drivers need no display or sound card; the harness sets them too.
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$build/fuzz/fuzz_game_scene" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
