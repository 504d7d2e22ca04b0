// What analysing a record costs beyond the engine's own thinking: the wall time of the
// analyser on a game of MOVES moves at MS a move, against MOVES x MS, and the analyser's own
// CPU (this process, not the engine) while the engine thinks, as a share of one core.
//
// usage: build/bench/analysis_overhead [MOVES] [MS] [ENGINE]   (default 100, 200, fairy-stockfish)
// The game is a random one, the same on every run, played through our rules.
#include <poll.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "analysis/record_analyser.h"
#include "shogi/standard_rules.h"

namespace {

using namespace ixo;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A random game of `moves` moves that neither side has lost before its end.
GameRecord randomGame(int moves) {
    for (unsigned seed = 1;; ++seed) {
        std::mt19937 random(seed);
        GameRecord record;
        record.rules = RuleSet::Standard;
        record.start = Position::start();
        Position position = record.start;
        RecordNode* node = &record.root();
        std::vector<MoveRequest> legal;
        int played = 0;
        for (; played < moves; ++played) {
            legalMoves(position, legal);
            if (legal.empty()) {
                break;
            }
            Move made;
            playStandardMove(position, legal[random() % legal.size()], &made);
            node = record.addMove(*node, made, GameRecord::Placement::MainLine);
        }
        if (played == moves) {
            return record;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::atoi(argv[1]) : 100;
    const int msPerMove = argc > 2 ? std::atoi(argv[2]) : 200;
    EngineSetup setup;
    setup.program = argc > 3 ? argv[3] : "fairy-stockfish";
    GameRecord record = randomGame(moves);

    RecordAnalyser analyser;
    const std::int64_t began = nowMs();
    const double cpuBefore = cpuSeconds();
    if (!analyser.start(record, setup, msPerMove, began)) {
        std::fprintf(stderr, "analysis_overhead: %s\n", analyser.reason().c_str());
        return 1;
    }
    while (analyser.running()) {
        const std::int64_t deadline = analyser.nextDeadline();
        const int wait =
            deadline < 0 ? 1000
                         : static_cast<int>(std::clamp<std::int64_t>(deadline - nowMs(), 0, 1000));
        pollfd watched{analyser.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, wait);
        analyser.update(nowMs());
    }
    const double wallSeconds = (nowMs() - began) / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;
    if (analyser.state() != RecordAnalyser::State::Finished) {
        std::fprintf(stderr, "analysis_overhead: %s\n", analyser.reason().c_str());
        return 1;
    }
    const double budget = moves * msPerMove / 1000.0;
    const double positionsBudget = analyser.total() * msPerMove / 1000.0;
    std::printf("engine              %s\n", setup.program.c_str());
    std::printf("record              %d moves, %d positions at %d ms each\n", moves,
                analyser.total(), msPerMove);
    std::printf("wall time           %.2f s\n", wallSeconds);
    std::printf("against %d x %.1f s  %.2f s: %+.1f%% (target under +10%%)\n", moves,
                msPerMove / 1000.0, budget, (wallSeconds / budget - 1) * 100);
    std::printf("against %d positions %.2f s: %+.1f%%\n", analyser.total(), positionsBudget,
                (wallSeconds / positionsBudget - 1) * 100);
    const double engineSeconds = analyser.engineReportedMs() / 1000.0;
    // fairy-stockfish ends a search before its byoyomi runs out, so the wall time is also set
    // beside the time it said it searched: what is left is the cost of the round trips.
    std::printf(
        "engine's own time   %.2f s (its last info's time, summed): wall %+.1f%%, "
        "%.1f ms a position beyond it\n",
        engineSeconds, (wallSeconds / engineSeconds - 1) * 100,
        (wallSeconds - engineSeconds) * 1000 / analyser.total());
    std::printf("analyser CPU        %.3f s, %.2f%% of one core over the run\n", cpu,
                cpu / wallSeconds * 100);
    return 0;
}
