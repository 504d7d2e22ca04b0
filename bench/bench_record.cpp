// What keeping the record costs after each move: the whole record written again, flushed to
// the disk and renamed into place, for games of a few lengths. The disk's flush dominates, so
// the figure depends on the file system the temporary folder lives on.
#include <benchmark/benchmark.h>

#include <ctime>
#include <random>
#include <vector>

#include "../tests/reliability/scene_driver.h"
#include "../tests/support/record_lines.h"
#include "match/record_keeper.h"

namespace {

using namespace ixo;

std::vector<Move> randomGame(std::size_t length) {
    Board board;
    board.reset();
    std::mt19937 random(5);
    std::vector<Move> moves;
    while (moves.size() < length) {
        const std::vector<Move> legal =
            reliability::legalMoves(board, static_cast<int>(moves.size() % 2));
        if (legal.empty()) {
            break;
        }
        const Move move =
            legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(random)];
        playMove(board, move.owner, move.fromColumn, move.fromRow, move.toColumn, move.toRow);
        moves.push_back(move);
    }
    return moves;
}

void RecordWriteAfterAMove(benchmark::State& state) {
    const std::vector<Move> moves = randomGame(static_cast<std::size_t>(state.range(0)));
    reliability::ScratchDirectory scratch;
    RecordKeeper keeper({(scratch.root() / "games").string(), ""}, std::time(nullptr));
    const GameRecord record = test::lineRecord(RuleSet::Simple, moves);
    for (auto _ : state) {
        if (!keeper.write(record)) {
            state.SkipWithError("the record could not be written");
            break;
        }
    }
    state.counters["moves"] = static_cast<double>(moves.size());
}
BENCHMARK(RecordWriteAfterAMove)->Arg(1)->Arg(80)->Arg(300)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
