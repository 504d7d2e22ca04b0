// What keeping the record costs the game in memory, before any file: writing the whole record
// (done after every move) and reading one back (done on --continue or opening a file), for a
// usual game, a long one and the longest the reader takes.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "../tests/shogi/random_game.h"
#include "record/kif.h"
#include "shogi/standard_rules.h"

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

// A standard game of random legal moves, drops and declined promotions among them; a mate
// before `length` ends it sooner.
const ixo::StandardGame& standardGameOf(int length) {
    static std::vector<ixo::StandardGame> games;
    for (const auto& game : games) {
        if (static_cast<int>(game.size()) == length) {
            return game;
        }
    }
    for (unsigned seed = static_cast<unsigned>(length);; ++seed) {
        std::mt19937 random(seed);
        ixo::StandardGame game;
        std::vector<ixo::MoveRequest> moves;
        while (static_cast<int>(game.size()) < length && !game.outcome().over()) {
            ixo::legalMoves(game.position(), moves);
            game.play(
                moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)]);
        }
        if (static_cast<int>(game.size()) == length) {
            games.push_back(game);
            return games.back();
        }
    }
}

void writeStandardRecord(benchmark::State& state) {
    const ixo::StandardGame& game = standardGameOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ixo::writeStandardKif(game, "2026/12/07 10:00:00"));
    }
    state.counters["moves"] = static_cast<double>(game.size());
}

void readStandardRecord(benchmark::State& state) {
    const ixo::StandardGame& game = standardGameOf(static_cast<int>(state.range(0)));
    const std::string text = ixo::writeStandardKif(game, "2026/12/07 10:00:00");
    for (auto _ : state) {
        const ixo::KifReading reading = ixo::readKif(text);
        if (!reading.ok() || reading.moves.size() != game.size()) {
            state.SkipWithError("the record did not read back");
        }
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

}  // namespace

BENCHMARK(writeStandardRecord)->Arg(120)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(readStandardRecord)->Arg(120)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(writeRecord)->Arg(120)->Arg(400)->Arg(ixo::kKifMaxMoves)->Unit(benchmark::kMicrosecond);
BENCHMARK(readRecord)->Arg(120)->Arg(400)->Arg(ixo::kKifMaxMoves)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
