// What converting one record costs: a 300-move game (the longest most games run) read from the
// bytes of each format the game opens, and written as each format it writes, as
// `--convert IN OUT` does between reading IN and writing OUT. The target is under 5 ms for one
// conversion; the file itself (read, written, flushed to the disk) is measured apart, on the
// temporary folder.
//   bench_formats [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "record/convert.h"
#include "record/record_format.h"
#include "shogi/standard_rules.h"

namespace {

using namespace ixo;

constexpr int kMoves = 300;

// A game of random legal moves that lasts 300 moves, with times and now and then a comment.
const GameRecord& longGame() {
    static const GameRecord record = [] {
        for (unsigned seed = 1;; ++seed) {
            std::mt19937 random(seed);
            GameRecord game;
            game.rules = RuleSet::Standard;
            game.headers = {{"先手", "羽生善治"}, {"後手", "藤井聡太"}, {"棋戦", "bench"}};
            StandardGame play;
            RecordNode* at = &game.root();
            std::vector<MoveRequest> moves;
            while (static_cast<int>(play.size()) < kMoves && !play.outcome().over()) {
                legalMoves(play.position(), moves);
                Move made;
                play.play(
                    moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)],
                    &made);
                at = game.addMove(*at, made, GameRecord::Placement::MainLine);
                at->timed = true;
                at->time.usedMs = std::uniform_int_distribution<int>(0, 60)(random) * 1000;
                if (play.size() % 10 == 0) {
                    at->comment = "ここが勝負所";
                }
            }
            if (static_cast<int>(play.size()) == kMoves) {
                game.addEnd(*at, LineEnd::Resignation, GameRecord::Placement::MainLine);
                return game;
            }
        }
    }();
    return record;
}

const char* const kExtensions[] = {".kif", ".kifu", ".ki2", ".ki2u", ".csa"};

std::string bytesAs(int format) {
    const RecordWriting writing = writeRecordAs(longGame(), *recordFileTypeOf(kExtensions[format]));
    return writing.bytes;
}

// From the bytes of one format to the bytes of another, as --convert does in memory.
void convert(benchmark::State& state) {
    const std::string input = bytesAs(static_cast<int>(state.range(0)));
    const RecordFileType output = *recordFileTypeOf(kExtensions[state.range(1)]);
    for (auto _ : state) {
        const RecordReading reading = readAnyRecord(input);
        const RecordWriting writing = writeRecordAs(reading.record, output);
        if (!reading.ok() || !writing.ok()) {
            state.SkipWithError("the record did not convert");
        }
        benchmark::DoNotOptimize(writing.bytes.data());
    }
    state.SetLabel(std::string(kExtensions[state.range(0)]) + " -> " + kExtensions[state.range(1)]);
    state.counters["bytes"] = static_cast<double>(input.size());
}

// The whole command's work on real files in the temporary folder, the flush to the disk with it.
void convertFiles(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string in = (folder / "ixo-bench-in.csa").string();
    const std::string out = (folder / "ixo-bench-out.kif").string();
    std::ofstream(in, std::ios::binary) << bytesAs(4);
    std::string message;
    for (auto _ : state) {
        if (convertRecordFiles(in, out, message) != 0) {
            state.SkipWithError(message.c_str());
        }
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
}

}  // namespace

BENCHMARK(convert)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 2, 4}})->Unit(benchmark::kMillisecond);
BENCHMARK(convertFiles)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
