// What keeping the record costs the game in memory, before any file: writing the whole record
// (done after every move) and reading one back (done on --continue or opening a file), for a
// usual game, a long one and the longest the reader takes.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "../tests/shogi/random_game.h"
#include "shogi/kif.h"

namespace {

const std::vector<ixo::Move>& gameOf(int length) {
    static std::vector<std::vector<ixo::Move>> games;
    for (const auto& game : games) {
        if (static_cast<int>(game.size()) == length) {
            return game;
        }
    }
    std::mt19937 random(static_cast<unsigned>(length));
    games.push_back(ixo::randomGame(random, length));
    return games.back();
}

void writeRecord(benchmark::State& state) {
    const std::vector<ixo::Move>& game = gameOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ixo::writeKif(game, "2026/12/07 10:00:00"));
    }
    state.counters["moves"] = static_cast<double>(game.size());
}

void readRecord(benchmark::State& state) {
    const std::vector<ixo::Move>& game = gameOf(static_cast<int>(state.range(0)));
    const std::string text = ixo::writeKif(game, "2026/12/07 10:00:00");
    for (auto _ : state) {
        const ixo::KifReading reading = ixo::readKif(text);
        if (!reading.ok() || reading.moves.size() != game.size()) {
            state.SkipWithError("the record did not read back");
        }
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

}  // namespace

BENCHMARK(writeRecord)->Arg(120)->Arg(400)->Arg(ixo::kKifMaxMoves)->Unit(benchmark::kMicrosecond);
BENCHMARK(readRecord)->Arg(120)->Arg(400)->Arg(ixo::kKifMaxMoves)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
