// The strength ladder: games between adjacent levels of fairy-stockfish under the simple
// rules, every move checked by our own rules, at time per move scaled down so that a ladder
// runs in minutes. Prints the score of each pair from the higher level's side.
//
// usage: build/bench/strength_ladder [GAMES_PER_PAIR] [TIME_FACTOR] [MAX_PLIES]
//        (default 4, 0.1, 300; a game reaching MAX_PLIES is a draw)
// Needs fairy-stockfish; run it from the repository's build folder or anywhere, since the
// variant definition is found through the source tree.
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/engine/simple_rules_usi.h"
#include "engine/usi_engine.h"

#ifndef IXO_VARIANT_FILE
#define IXO_VARIANT_FILE "../variants/nodropshogi.ini"
#endif

namespace {

using namespace ixo;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits for the engine's next event of interest; false on a fault or when none comes.
bool nextEvent(UsiEngine& engine, EngineEvent& event) {
    for (;;) {
        while (engine.pollEvent(event)) {
            if (event.kind != EngineEvent::Kind::Info && event.kind != EngineEvent::Kind::Warning) {
                return event.kind != EngineEvent::Kind::Fault;
            }
        }
        if (engine.state() == EngineState::Gone) {
            return false;
        }
        const std::int64_t deadline = engine.nextDeadline();
        const std::int64_t wait =
            deadline < 0 ? 1000 : std::max<std::int64_t>(deadline - nowMs(), 0);
        pollfd watched{engine.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0,
             static_cast<int>(std::min<std::int64_t>(wait, 1000)));
        engine.update(nowMs());
    }
}

bool startEngine(UsiEngine& engine, int level) {
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    setup.level = level;
    setup.variantFile = IXO_VARIANT_FILE;
    setup.variantName = kSimpleRulesVariant;
    EngineEvent event;
    if (!engine.start(setup, nowMs()) || !nextEvent(engine, event)) {
        std::fprintf(stderr, "strength_ladder: %s\n", event.message.c_str());
        return false;
    }
    return true;
}

// 1 when Blue wins, -1 when Red wins, 0 for a draw; -2 when an engine failed.
int playGame(UsiEngine* players[2], double timeFactor, int maxPlies, int* plies) {
    Board board;
    board.reset();
    std::vector<std::string> moves;
    for (int side : {0, 1}) {
        players[side]->newGame(nowMs());
    }
    while (static_cast<int>(moves.size()) < maxPlies) {
        const int side = static_cast<int>(moves.size() % 2);
        UsiEngine& mover = *players[side];
        GoTimes times = mover.levelTimes(side);
        times.byoyomiMs = std::max<std::int64_t>(
            10, static_cast<std::int64_t>(levelSettings(mover.level()).moveTimeMs * timeFactor));
        EngineEvent event;
        if (!mover.go("", moves, times, nowMs()) || !nextEvent(mover, event)) {
            std::fprintf(stderr, "strength_ladder: level %d failed: %s\n", mover.level(),
                         event.message.c_str());
            return -2;
        }
        *plies = static_cast<int>(moves.size());
        if (event.kind != EngineEvent::Kind::BestMove) {
            // Resigning or declaring (which the simple rules do not know) gives the game away.
            return side == 0 ? -1 : 1;
        }
        Move made;
        if (!playUsi(board, side, event.move, &made)) {
            std::fprintf(stderr, "strength_ladder: level %d sent %s, which our rules refuse\n",
                         mover.level(), event.move.c_str());
            return side == 0 ? -1 : 1;
        }
        moves.push_back(event.move);
        *plies = static_cast<int>(moves.size());
        if (made.captured == King) {
            return side == 0 ? 1 : -1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int games = argc > 1 ? std::atoi(argv[1]) : 4;
    const double timeFactor = argc > 2 ? std::atof(argv[2]) : 0.1;
    const int maxPlies = argc > 3 ? std::atoi(argv[3]) : 300;
    if (games < 1 || timeFactor <= 0 || maxPlies < 1) {
        std::fprintf(stderr, "usage: strength_ladder [GAMES_PER_PAIR] [TIME_FACTOR] [MAX_PLIES]\n");
        return 2;
    }
    std::printf("%d games per pair, time per move x %.2f, a draw at %d plies\n", games, timeFactor,
                maxPlies);
    const std::int64_t began = nowMs();
    int pairsWon = 0;
    for (int lower = kMinLevel; lower < kMaxLevel; ++lower) {
        UsiEngine weaker;
        UsiEngine stronger;
        if (!startEngine(weaker, lower) || !startEngine(stronger, lower + 1)) {
            return 1;
        }
        int wins = 0;
        int draws = 0;
        int losses = 0;
        long plies = 0;
        for (int game = 0; game < games; ++game) {
            // The stronger level takes Blue in every other game.
            const bool strongerBlue = game % 2 == 0;
            UsiEngine* players[2] = {strongerBlue ? &stronger : &weaker,
                                     strongerBlue ? &weaker : &stronger};
            int length = 0;
            const int result = playGame(players, timeFactor, maxPlies, &length);
            if (result == -2) {
                return 1;
            }
            plies += length;
            const int forStronger = strongerBlue ? result : -result;
            wins += forStronger > 0;
            draws += forStronger == 0;
            losses += forStronger < 0;
        }
        const double score = wins + draws / 2.0;
        pairsWon += score > games / 2.0;
        std::printf(
            "level %2d vs %2d: %4.1f - %4.1f  (won %d, drawn %d, lost %d; %ld plies a game)\n",
            lower + 1, lower, score, games - score, wins, draws, losses, plies / games);
        std::fflush(stdout);
    }
    std::printf("the higher level won %d of %d pairs in %.0f s\n", pairsWon, kMaxLevel - kMinLevel,
                (nowMs() - began) / 1000.0);
    return 0;
}
