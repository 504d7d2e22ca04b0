#!/usr/bin/env bash
# The bounded fuzz run for CI: builds the fuzzers with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each from a generated seed corpus: the game scene on
# frames for four ninths of FUZZ_SECONDS (default 90), the KIF reader on bytes for two ninths,
# and the SFEN reader (with the standard rules behind it), the CSA reader and the KI2 reader
# for one ninth each.
# Exits non-zero when a fuzzer finds a crash, a sanitizer report or a broken invariant; the
# input that did it is left in the build folder.
#
# Longer runs: FUZZ_SECONDS=600 tools/fuzz_short.sh
# Environment: FUZZ_BUILD_DIR (default build-fuzz), JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-90}
scene_seconds=$((seconds * 4 / 9))
kif_seconds=$((seconds * 2 / 9))
csa_seconds=$((seconds / 9))
ki2_seconds=$((seconds / 9))
sfen_seconds=$((seconds - scene_seconds - kif_seconds - csa_seconds - ki2_seconds))
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DIXO_FUZZ=ON -DIXO_SANITIZE=ON -DBUILD_TESTING=OFF -DIXO_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz_game_scene fuzz_kif_reader fuzz_sfen fuzz_csa_reader \
    fuzz_ki2_reader -j "$jobs"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
/usr/bin/python3 "$root/tools/fuzz_seeds.py" "$corpus/scene"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --kif "$corpus/kif" "$corpus/kif.dict"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --sfen "$corpus/sfen"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --csa "$corpus/csa" "$corpus/csa.dict"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --ki2 "$corpus/ki2" "$corpus/ki2.dict"

# The dummy drivers need no display or sound card; the harness sets them too.
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    "$build/fuzz/fuzz_game_scene" -max_total_time="$scene_seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/" "$corpus/scene"

# Inputs up to a little over the reader's longest line, so that limit is reached too.
"$build/fuzz/fuzz_kif_reader" -max_total_time="$kif_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=12000 -dict="$corpus/kif.dict" -print_final_stats=1 \
    -artifact_prefix="$build/kif-" "$corpus/kif"

# A position is one short line; longer inputs only repeat what the reader refuses early.
"$build/fuzz/fuzz_sfen" -max_total_time="$sfen_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=256 -print_final_stats=1 -artifact_prefix="$build/sfen-" "$corpus/sfen"

# The other record formats, on inputs of a few hundred lines.
"$build/fuzz/fuzz_csa_reader" -max_total_time="$csa_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=12000 -dict="$corpus/csa.dict" -print_final_stats=1 \
    -artifact_prefix="$build/csa-" "$corpus/csa"
"$build/fuzz/fuzz_ki2_reader" -max_total_time="$ki2_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=12000 -dict="$corpus/ki2.dict" -print_final_stats=1 \
    -artifact_prefix="$build/ki2-" "$corpus/ki2"
