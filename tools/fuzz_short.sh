#!/usr/bin/env bash
# The bounded fuzz run for CI: builds the fuzzers with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each from a generated seed corpus: the game scene on
# frames for five ninths of FUZZ_SECONDS (default 90), the record reader on bytes and the SFEN
# reader (with the standard rules behind it) for two ninths each, and the settings reader for
# a few seconds more (a small grammar, covered quickly).
# The CSA and KI2 record readers get a ninth each on top, and what a CSA server sends (its
# Game_Summary, and positions and moves on any bytes) an eighteenth each, at least 5 s: at the
# default that is 90 + 10 + 10 + 10 + 5 + 5 = 130 s of fuzzing after the build.
# Exits non-zero when a fuzzer finds a crash, a sanitizer report or a broken invariant; the
# input that did it is left in the build folder.
#
# Longer runs: FUZZ_SECONDS=600 tools/fuzz_short.sh
# Environment: FUZZ_BUILD_DIR (default build-fuzz), JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-90}
scene_seconds=$((seconds * 5 / 9))
kif_seconds=$((seconds * 2 / 9))
sfen_seconds=$((seconds - scene_seconds - kif_seconds))
settings_seconds=$((seconds / 9 > 5 ? seconds / 9 : 5))
server_seconds=$((seconds / 18 > 5 ? seconds / 18 : 5))
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DIXO_FUZZ=ON -DIXO_SANITIZE=ON -DBUILD_TESTING=OFF -DIXO_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz_game_scene fuzz_kif_reader fuzz_sfen fuzz_settings -j "$jobs"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT

# The CSA and KI2 readers, on inputs of a few hundred lines, for a ninth of FUZZ_SECONDS each on
# top of the rest: each reads, writes what it read and reads it back.
cmake --build "$build" --target fuzz_csa_reader fuzz_ki2_reader -j "$jobs"
for format in csa ki2; do
    /usr/bin/python3 "$root/tools/fuzz_seeds.py" --$format "$corpus/$format" "$corpus/$format.dict"
    "$build/fuzz/fuzz_${format}_reader" -max_total_time=$((seconds / 9)) -timeout=10 \
        -rss_limit_mb=2048 -max_len=12000 -dict="$corpus/$format.dict" -print_final_stats=1 \
        -artifact_prefix="$build/$format-" "$corpus/$format"
done

# Both readers are small and fast; a few seconds cover what the seeds open up. Inputs up to a
# summary of a few hundred moves.
cmake --build "$build" --target fuzz_game_summary fuzz_csa_move -j "$jobs"
for target in game-summary csa-move; do
    /usr/bin/python3 "$root/tools/fuzz_seeds.py" --$target "$corpus/$target" "$corpus/$target.dict"
    "$build/fuzz/fuzz_${target/-/_}" -max_total_time="$server_seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=12000 -dict="$corpus/$target.dict" -print_final_stats=1 \
        -artifact_prefix="$build/$target-" "$corpus/$target"
done

/usr/bin/python3 "$root/tools/fuzz_seeds.py" "$corpus/scene"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --kif "$corpus/kif" "$corpus/kif.dict"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --sfen "$corpus/sfen"
/usr/bin/python3 "$root/tools/fuzz_seeds.py" --settings "$corpus/settings"

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

# Past the reader's size limit, so the file refused whole is reached too.
"$build/fuzz/fuzz_settings" -max_total_time="$settings_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=70000 -print_final_stats=1 -artifact_prefix="$build/settings-" "$corpus/settings"
