// What the tree costs a study record: reading a 300-move game with 50 variations and comments
// (the replay through the rules included), writing it, and moving the current place to a node
// of it (the position replayed from the root along its path), which review does on every step.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/replay.h"
#include "shogi/standard_rules.h"

namespace {

using namespace ixo;

// Random legal moves from `at` for up to `plies`, each a child in the given place; a comment
// on every fifth. Returns the last node made.
RecordNode* playOn(GameRecord& record, RecordNode* at, int plies, GameRecord::Placement placement,
                   std::mt19937& random) {
    Position position = positionAt(record, *at);
    std::vector<MoveRequest> moves;
    for (int ply = 0; ply < plies; ++ply) {
        legalMoves(position, moves);
        if (moves.empty()) {
            break;
        }
        Move made;
        playStandardMove(
            position,
            moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)], &made);
        at = record.addMove(*at, made, ply == 0 ? placement : GameRecord::Placement::MainLine);
        at->time.usedMs = 1000 * (ply % 30);
        at->timed = true;
        if (at->ply % 5 == 0) {
            at->comment = "a player's note on this move, long enough to be a real one";
        }
    }
    return at;
}

const GameRecord& studyRecord() {
    static GameRecord record = [] {
        for (unsigned seed = 1;; ++seed) {
            std::mt19937 random(seed);
            GameRecord study;
            study.rules = RuleSet::Standard;
            setRecordHeader(study, "開始日時", "2026/12/08 10:00:00");
            setPlayerName(study, 0, "Blue");
            setPlayerName(study, 1, "Red");
            if (playOn(study, &study.root(), 300, GameRecord::Placement::MainLine, random)->ply !=
                300) {
                continue;
            }
            std::vector<RecordNode*> line;
            for (RecordNode* node = &study.root(); node; node = node->mainChild()) {
                line.push_back(node);
            }
            for (int variation = 0; variation < 50; ++variation) {
                RecordNode* from =
                    line[std::uniform_int_distribution<std::size_t>(0, line.size() - 2)(random)];
                playOn(study, from, 8, GameRecord::Placement::Variation, random);
            }
            return study;
        }
    }();
    return record;
}

void readStudy(benchmark::State& state) {
    const std::string text = writeKifRecord(studyRecord());
    for (auto _ : state) {
        const RecordReading reading = readKifRecord(text);
        if (!reading.ok() || reading.record.nodeCount() != studyRecord().nodeCount()) {
            state.SkipWithError("the record did not read back whole");
        }
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["nodes"] = static_cast<double>(studyRecord().nodeCount());
    state.counters["variations"] = static_cast<double>(studyRecord().variationCount());
}

void writeStudy(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeKifRecord(studyRecord()));
    }
}

// Every node of the tree in turn, the deepest among them.
void placeAtAnyNode(benchmark::State& state) {
    std::vector<const RecordNode*> nodes;
    std::vector<const RecordNode*> pending{&studyRecord().root()};
    while (!pending.empty()) {
        const RecordNode* node = pending.back();
        pending.pop_back();
        nodes.push_back(node);
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(positionAt(studyRecord(), *nodes[next]));
        next = next + 1 == nodes.size() ? 0 : next + 1;
    }
}

void placeAtTheLastMove(benchmark::State& state) {
    const RecordNode& end = studyRecord().mainLineEnd();
    for (auto _ : state) {
        benchmark::DoNotOptimize(positionAt(studyRecord(), end));
    }
    state.counters["ply"] = end.ply;
}

}  // namespace

BENCHMARK(readStudy)->Unit(benchmark::kMicrosecond);
BENCHMARK(writeStudy)->Unit(benchmark::kMicrosecond);
BENCHMARK(placeAtAnyNode)->Unit(benchmark::kMicrosecond);
BENCHMARK(placeAtTheLastMove)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
