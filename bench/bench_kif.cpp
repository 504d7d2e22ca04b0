// What keeping the record costs the game in memory, before any file: writing the whole record
// (done after every move) and reading one back (done on --continue or opening a file), for a
// usual game, a long one and the longest the reader takes.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "../tests/shogi/random_game.h"
#include "../tests/support/record_lines.h"
#include "record/kif_reader.h"
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

// The record of a game played here, as the record keeper writes it after every move.
ixo::GameRecord recordOf(ixo::RuleSet rules, const std::vector<ixo::Move>& moves,
                         const ixo::Position& start = ixo::Position::start()) {
    ixo::GameRecord record = ixo::test::lineRecord(rules, moves, start);
    ixo::setGameHeaders(record, "2026/12/07 10:00:00");
    return record;
}

bool readsBack(const std::string& text, std::size_t moves) {
    const ixo::RecordReading reading = ixo::readKifRecord(text);
    return reading.ok() && ixo::test::mainLineMoves(reading.record).size() == moves;
}

void writeRecord(benchmark::State& state) {
    const std::vector<ixo::Move>& game = gameOf(static_cast<int>(state.range(0)));
    const ixo::GameRecord record = recordOf(ixo::RuleSet::Simple, game);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ixo::writeKifRecord(record));
    }
    state.counters["moves"] = static_cast<double>(game.size());
}

void readRecord(benchmark::State& state) {
    const std::vector<ixo::Move>& game = gameOf(static_cast<int>(state.range(0)));
    const std::string text = ixo::writeKifRecord(recordOf(ixo::RuleSet::Simple, game));
    for (auto _ : state) {
        if (!readsBack(text, game.size())) {
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
    const ixo::GameRecord record =
        recordOf(ixo::RuleSet::Standard, game.played(), game.startPosition());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ixo::writeKifRecord(record));
    }
    state.counters["moves"] = static_cast<double>(game.size());
}

void readStandardRecord(benchmark::State& state) {
    const ixo::StandardGame& game = standardGameOf(static_cast<int>(state.range(0)));
    const std::string text =
        ixo::writeKifRecord(recordOf(ixo::RuleSet::Standard, game.played(), game.startPosition()));
    for (auto _ : state) {
        if (!readsBack(text, game.size())) {
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
