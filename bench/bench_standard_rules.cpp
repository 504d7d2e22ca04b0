// What a standard-rules move costs after it is made: StandardGame::play (the move, the key,
// mate and repetition) plus the legal moves and the check the screen asks for next. The
// per_move counter is the figure to hold under 50 us.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "shogi/standard_rules.h"

namespace {

using ixo::MoveRequest;
using ixo::Position;
using ixo::StandardGame;

// Random legal games: hands fill up as they go, so the later moves judge many drops, which
// is the expensive end of real play.
std::vector<std::vector<MoveRequest>> randomGames(int count, int plies) {
    std::mt19937 random(17);
    std::vector<std::vector<MoveRequest>> games;
    std::vector<MoveRequest> legal;
    for (int g = 0; g < count; ++g) {
        StandardGame game;
        std::vector<MoveRequest> moves;
        while (static_cast<int>(moves.size()) < plies && !game.outcome().over()) {
            ixo::legalMoves(game.position(), legal);
            const MoveRequest move =
                legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(random)];
            game.play(move);
            moves.push_back(move);
        }
        games.push_back(moves);
    }
    return games;
}

void judgeAfterEachMove(benchmark::State& state, const Position& start,
                        const std::vector<std::vector<MoveRequest>>& games) {
    std::vector<MoveRequest> legal;
    std::int64_t moves = 0;
    for (auto _ : state) {
        for (const auto& played : games) {
            StandardGame game(start);
            for (const MoveRequest& move : played) {
                game.play(move);
                ixo::legalMoves(game.position(), legal);
                benchmark::DoNotOptimize(legal.data());
                benchmark::DoNotOptimize(ixo::inCheck(game.position(), game.position().sideToMove));
            }
            moves += static_cast<std::int64_t>(played.size());
        }
    }
    state.counters["per_move"] = benchmark::Counter(
        static_cast<double>(moves), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_JudgeAfterMoveInRandomGames(benchmark::State& state) {
    static const auto games = randomGames(20, 200);
    judgeAfterEachMove(state, Position::start(), games);
}
BENCHMARK(BM_JudgeAfterMoveInRandomGames)->Unit(benchmark::kMillisecond);

// The crowded case: both sides holding many pieces, every empty square a drop.
void BM_JudgeAPositionFullOfDrops(benchmark::State& state) {
    Position position;
    std::string error;
    ixo::parseSfen("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1",
                   position, error);
    std::vector<MoveRequest> legal;
    std::int64_t judged = 0;
    for (auto _ : state) {
        ixo::legalMoves(position, legal);
        benchmark::DoNotOptimize(legal.data());
        benchmark::DoNotOptimize(ixo::inCheck(position, position.sideToMove));
        benchmark::DoNotOptimize(ixo::hasLegalMove(position));
        benchmark::DoNotOptimize(ixo::positionKey(position));
        ++judged;
    }
    state.counters["per_move"] = benchmark::Counter(
        static_cast<double>(judged), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JudgeAPositionFullOfDrops)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
