// What moving the current place of a match costs: to any node of a 300-move standard game
// with 50 variations (a review jumping around the record), and one take-back and replay (a
// player stepping). Going to a node replays its path from the start through the rules.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "match/match.h"

namespace {

using namespace ixo;

// Random legal moves, so the game is one the rules accept at every node; a game that ends
// early is simply shorter. Variations leave the main line at random and run a few moves.
Match reviewedGame(std::size_t length, int variations) {
    std::mt19937 random(24);
    std::vector<MoveRequest> legal;
    auto randomMove = [&](Position& position, Move& made) {
        legalMoves(position, legal);
        if (legal.empty()) {
            return false;
        }
        const std::size_t pick =
            std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(random);
        return playMove(position, legal[pick], RuleSet::Standard, &made);
    };
    GameRecord record;
    record.rules = RuleSet::Standard;
    Position position = record.start;
    RecordNode* at = &record.root();
    Move made;
    while (static_cast<std::size_t>(at->ply) < length && randomMove(position, made)) {
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
    }
    const int mainLength = at->ply;
    for (int count = 0; count < variations; ++count) {
        at = &record.root();
        position = record.start;
        const int depth = std::uniform_int_distribution<int>(0, mainLength - 1)(random);
        for (int step = 0; step < depth; ++step) {
            at = at->mainChild();
            playMove(position, requestOf(at->move), RuleSet::Standard);
        }
        for (int extra = 0; extra < 6 && randomMove(position, made); ++extra) {
            at = record.addMove(*at, made, GameRecord::Placement::Variation);
        }
    }
    Match match(RuleSet::Standard, [] { return std::int64_t{0}; });
    std::string error;
    if (!match.load(std::move(record), error)) {
        std::fprintf(stderr, "bench_match: %s\n", error.c_str());
        std::abort();
    }
    return match;
}

std::vector<const RecordNode*> everyNode(const GameRecord& record) {
    std::vector<const RecordNode*> nodes;
    std::vector<const RecordNode*> pending{&record.root()};
    while (!pending.empty()) {
        const RecordNode* node = pending.back();
        pending.pop_back();
        nodes.push_back(node);
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    return nodes;
}

void GoToAnyNode(benchmark::State& state) {
    Match match = reviewedGame(300, 50);
    const std::vector<const RecordNode*> nodes = everyNode(match.record());
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, nodes.size() - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(match.goTo(*nodes[pick(random)]));
    }
    state.counters["nodes"] = static_cast<double>(nodes.size());
    state.counters["variations"] = static_cast<double>(match.record().variationCount());
    state.counters["mainLine"] = static_cast<double>(match.record().mainLineEnd().ply);
}
BENCHMARK(GoToAnyNode)->Unit(benchmark::kMicrosecond);

void TakeBackAndReplay(benchmark::State& state) {
    Match match = reviewedGame(300, 0);
    for (auto _ : state) {
        match.takeBack();
        benchmark::DoNotOptimize(match.replay());
    }
}
BENCHMARK(TakeBackAndReplay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
