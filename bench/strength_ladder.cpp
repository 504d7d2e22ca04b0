// The strength ladder: games between adjacent levels of fairy-stockfish, every move checked
// by our own rules, at time per move scaled down so that a ladder runs in minutes. Prints the
// score of each pair from the higher level's side. With --game it plays one whole game
// instead, between any two engines, and says how it ended. With --times it measures how long
// the computer answers at levels 1, 3, 5 and 10 under no clock and two common clocks, as the
// game asks it, over the first moves of a standard game.
//
// usage: build/bench/strength_ladder [--rules simple|standard] [GAMES_PER_PAIR] [TIME_FACTOR]
//                                    [MAX_PLIES]
//        (default simple, 4, 0.1, 300; a game reaching MAX_PLIES is a draw)
//        build/bench/strength_ladder [--rules R] --game BLUE RED [BYOYOMI_MS] [MAX_PLIES]
//        (default 400, 400; both engines at level 10 for their options, BYOYOMI_MS a move)
//        build/bench/strength_ladder --times [MOVES|whole] [ENGINE] [out-of-book]
//        (default 20 of the computer's moves per setting, fairy-stockfish; "whole" plays each
//        game to its end, at most 1000 of the computer's moves; the computer plays Red at the
//        level, Blue is the same engine at level 1; out-of-book starts after eight odd plies
//        that no opening book holds, so that an engine with one, gpsusi, searches)
// Needs fairy-stockfish (and for --game whatever it names); run it from anywhere, since the
// variant definition is found through the source tree.
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/engine/simple_rules_usi.h"
#include "engine/think_time.h"
#include "engine/usi_engine.h"
#include "shogi/standard_rules.h"

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

bool startEngine(UsiEngine& engine, int level, bool simple,
                 const char* program = "fairy-stockfish") {
    EngineSetup setup;
    setup.program = program;
    setup.level = level;
    if (simple) {
        setup.variantFile = IXO_VARIANT_FILE;
        setup.variantName = kSimpleRulesVariant;
    }
    EngineEvent event;
    if (!engine.start(setup, nowMs()) || !nextEvent(engine, event)) {
        std::fprintf(stderr, "strength_ladder: %s\n", event.message.c_str());
        return false;
    }
    return true;
}

// The simple rules have no check: their games end when a king is taken, kept as a mate.
const char* endName(GameEnd how, bool simple) {
    switch (how) {
        case GameEnd::Checkmate:
            return simple ? "a king taken" : "checkmate";
        case GameEnd::Resignation:
            return "resignation";
        case GameEnd::Repetition:
            return "repetition (a draw)";
        case GameEnd::PerpetualCheck:
            return "perpetual check";
        case GameEnd::Impasse:
            return "impasse declared";
        case GameEnd::FailedImpasse:
            return "a failed impasse declaration";
        case GameEnd::IllegalMove:
            return "a foul (a move our rules refuse)";
        case GameEnd::TimeUp:
            return "time";
        case GameEnd::None:
            break;
    }
    return "the ply limit (a draw)";
}

// Both rule sets behind one game loop: the simple rules end when a king is taken, the
// standard ones as StandardGame judges them.
struct Referee {
    bool simple = true;
    Board board;
    StandardGame standard;
    Outcome outcome;

    explicit Referee(bool simpleRules) : simple(simpleRules) { board.reset(); }

    void play(int side, const std::string& text) {
        if (simple) {
            Move made;
            if (!playUsi(board, side, text, &made)) {
                outcome = {GameEnd::IllegalMove, 1 - side};
            } else if (made.captured == King) {
                outcome = {GameEnd::Checkmate, side};
            }
            return;
        }
        MoveRequest request;
        if (!parseUsiMove(text, request) || !standard.play(request)) {
            standard.loseByFoul(side);
        }
        outcome = standard.outcome();
    }
    void resign(int side) {
        if (simple) {
            outcome = {GameEnd::Resignation, 1 - side};
        } else {
            standard.resign();
            outcome = standard.outcome();
        }
    }
    // Declaring is no part of the simple rules, so there it gives the game away.
    void declare(int side) {
        if (simple) {
            outcome = {GameEnd::FailedImpasse, 1 - side};
        } else {
            standard.declareImpasse();
            outcome = standard.outcome();
        }
    }
};

// 1 when Blue wins, -1 when Red wins, 0 for a draw; -2 when an engine failed. byoyomiMs > 0
// gives both sides that time a move; otherwise each level's own, scaled by timeFactor.
int playGame(UsiEngine* players[2], bool simple, double timeFactor, std::int64_t byoyomiMs,
             int maxPlies, int* plies, GameEnd* how) {
    Referee referee(simple);
    std::vector<std::string> moves;
    for (int side : {0, 1}) {
        players[side]->newGame(nowMs());
    }
    *plies = 0;
    while (!referee.outcome.over() && static_cast<int>(moves.size()) < maxPlies) {
        const int side = static_cast<int>(moves.size() % 2);
        UsiEngine& mover = *players[side];
        GoTimes times = mover.levelTimes(side);
        times.byoyomiMs = byoyomiMs > 0
                              ? byoyomiMs
                              : std::max<std::int64_t>(
                                    10, static_cast<std::int64_t>(
                                            levelSettings(mover.level()).moveTimeMs * timeFactor));
        EngineEvent event;
        if (!mover.go("", moves, times, nowMs()) || !nextEvent(mover, event)) {
            std::fprintf(stderr, "strength_ladder: %s (level %d) failed: %s\n",
                         mover.name().c_str(), mover.level(), event.message.c_str());
            return -2;
        }
        if (event.kind == EngineEvent::Kind::Resign) {
            referee.resign(side);
        } else if (event.kind == EngineEvent::Kind::Win) {
            referee.declare(side);
        } else {
            referee.play(side, event.move);
            if (referee.outcome.how == GameEnd::IllegalMove) {
                std::fprintf(stderr,
                             "strength_ladder: %s (level %d) sent %s, which our rules "
                             "refuse\n",
                             mover.name().c_str(), mover.level(), event.move.c_str());
            } else {
                moves.push_back(event.move);
            }
        }
        *plies = static_cast<int>(moves.size());
    }
    *how = referee.outcome.how;
    return referee.outcome.winner < 0 ? 0 : (referee.outcome.winner == 0 ? 1 : -1);
}

int wholeGame(bool simple, const char* blue, const char* red, std::int64_t byoyomiMs,
              int maxPlies) {
    UsiEngine engines[2];
    if (!startEngine(engines[0], kMaxLevel, simple, blue) ||
        !startEngine(engines[1], kMaxLevel, simple, red)) {
        return 1;
    }
    UsiEngine* players[2] = {&engines[0], &engines[1]};
    const std::int64_t began = nowMs();
    int plies = 0;
    GameEnd how = GameEnd::None;
    const int result = playGame(players, simple, 0, byoyomiMs, maxPlies, &plies, &how);
    if (result == -2) {
        return 1;
    }
    std::printf(
        "%s (Blue) vs %s (Red), %s rules, %lld ms a move: %s after %d plies by %s, "
        "%.0f s\n",
        engines[0].name().c_str(), engines[1].name().c_str(), simple ? "simple" : "standard",
        static_cast<long long>(byoyomiMs),
        result > 0   ? "Blue won"
        : result < 0 ? "Red won"
                     : "drawn",
        plies, endName(how, simple), (nowMs() - began) / 1000.0);
    return 0;
}

// Charges a move of `usedMs` to a side's clock as the game's clock does: main time first,
// then the byoyomi period, and the increment after a move made in time. False when its flag
// fell.
bool charge(const ClockRules& clock, SideTime& left, std::int64_t usedMs) {
    if (!clock.limited()) {
        return true;
    }
    if (usedMs <= left.mainMs) {
        left.mainMs -= usedMs;
        left.mainMs += clock.incrementMs;
    } else {
        const std::int64_t over = usedMs - left.mainMs;
        left.mainMs = 0;
        if (over > clock.byoyomiMs) {
            return false;
        }
    }
    left.byoyomiMs = clock.byoyomiMs;
    return true;
}

// "whole": each game is played to its end, or to this many of the computer's moves.
constexpr int kWholeGame = 1000;

// "resignation by Red", "checkmate won by Blue": `side` is the one who acted.
std::string formatEnd(const std::string& how, int side) {
    if (side < 0) {
        return how;
    }
    const bool won = how != "resignation" && how != "a declaration";
    return how + (won ? " won by " : " by ") + (side == 0 ? "Blue" : "Red");
}

int answerTimes(int movesWanted, const char* program, bool outOfBook) {
    struct Setting {
        const char* name;
        ClockRules clock;
    };
    const Setting settings[] = {{"no clock", {}},
                                {"--clock 10m --byoyomi 30s", {600000, 30000, 0}},
                                {"--clock 3m --increment 2s", {180000, 0, 2000}}};
    const bool whole = movesWanted >= kWholeGame;
    if (whole) {
        std::printf(
            "%s as Red at each level against itself at level 1 (Blue), standard rules, "
            "one whole game per setting\n",
            program);
    } else {
        std::printf(
            "%s as Red at each level against itself at level 1 (Blue), standard rules, "
            "the first %d moves of Red's per setting\n",
            program, movesWanted);
    }
    std::printf("%-5s  %-26s %5s %7s %7s %7s %6s  %s\n", "level", "clock", "moves", "asked",
                "median", "worst", "flags", "ended by");
    for (const int level : {1, 3, 5, 10}) {
        for (const Setting& setting : settings) {
            UsiEngine blue;
            UsiEngine red;
            if (!startEngine(blue, kMinLevel, false, program) ||
                !startEngine(red, level, false, program)) {
                return 1;
            }
            blue.newGame(nowMs());
            red.newGame(nowMs());
            Referee referee(false);
            std::vector<std::string> moves;
            if (outOfBook) {
                moves = {"1g1f", "9c9d", "1f1e", "9d9e", "9g9f", "1c1d", "1e1d", "1a1d"};
                for (std::size_t ply = 0; ply < moves.size(); ++ply) {
                    referee.play(static_cast<int>(ply % 2), moves[ply]);
                }
            }
            SideTime left[2] = {{setting.clock.mainMs, setting.clock.byoyomiMs},
                                {setting.clock.mainMs, setting.clock.byoyomiMs}};
            std::vector<std::int64_t> answers;
            std::string ended;
            std::int64_t longestAsked = 0;
            int flags = 0;
            while (!referee.outcome.over() && static_cast<int>(answers.size()) < movesWanted) {
                const int side = static_cast<int>(moves.size() % 2);
                UsiEngine& mover = side == 0 ? blue : red;
                const GoTimes times =
                    thinkTime(mover.level(), setting.clock, left[side], left[1 - side],
                              static_cast<int>(moves.size()), side);
                const std::int64_t asked = nowMs();
                EngineEvent event;
                if (!mover.go("", moves, times, asked) || !nextEvent(mover, event)) {
                    std::fprintf(stderr, "strength_ladder: %s failed: %s\n", mover.name().c_str(),
                                 event.message.c_str());
                    return 1;
                }
                const std::int64_t used = nowMs() - asked;
                flags += !charge(setting.clock, left[side], used) && side == 1;
                if (side == 1) {
                    answers.push_back(used);
                    longestAsked = std::max(longestAsked, times.byoyomiMs);
                }
                if (event.kind != EngineEvent::Kind::BestMove) {
                    // A resignation or a declaration ends the sample.
                    ended = formatEnd(
                        event.kind == EngineEvent::Kind::Resign ? "resignation" : "a declaration",
                        side);
                    break;
                }
                referee.play(side, event.move);
                moves.push_back(event.move);
            }
            if (ended.empty()) {
                ended = referee.outcome.over()
                            ? formatEnd(endName(referee.outcome.how, false), referee.outcome.winner)
                            : std::string("the move limit");
            }
            std::sort(answers.begin(), answers.end());
            const std::int64_t median = answers.empty() ? 0 : answers[answers.size() / 2];
            const std::int64_t worst = answers.empty() ? 0 : answers.back();
            std::printf("%5d  %-26s %5zu %6lldms %6lldms %6lldms %6d  %s after %zu plies\n", level,
                        setting.name, answers.size(), static_cast<long long>(longestAsked),
                        static_cast<long long>(median), static_cast<long long>(worst), flags,
                        ended.c_str(), moves.size());
            std::fflush(stdout);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::string(argv[1]) == "--times") {
        const bool whole = argc > 2 && std::string(argv[2]) == "whole";
        const int moves = whole ? kWholeGame : argc > 2 ? std::atoi(argv[2]) : 20;
        if (moves < 1) {
            std::fprintf(stderr, "usage: strength_ladder --times [MOVES|whole] [ENGINE]\n");
            return 2;
        }
        return answerTimes(moves, argc > 3 ? argv[3] : "fairy-stockfish",
                           argc > 4 && std::string(argv[4]) == "out-of-book");
    }
    bool simple = true;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--rules") {
        simple = std::string(argv[2]) != "standard";
        first = 3;
    }
    if (argc > first + 2 && std::string(argv[first]) == "--game") {
        const std::int64_t byoyomi = argc > first + 3 ? std::atoll(argv[first + 3]) : 400;
        const int cap = argc > first + 4 ? std::atoi(argv[first + 4]) : 400;
        if (byoyomi < 1 || cap < 1) {
            std::fprintf(stderr,
                         "usage: strength_ladder [--rules R] --game BLUE RED "
                         "[BYOYOMI_MS] [MAX_PLIES]\n");
            return 2;
        }
        return wholeGame(simple, argv[first + 1], argv[first + 2], byoyomi, cap);
    }
    argc -= first - 1;
    argv += first - 1;
    const int games = argc > 1 ? std::atoi(argv[1]) : 4;
    const double timeFactor = argc > 2 ? std::atof(argv[2]) : 0.1;
    const int maxPlies = argc > 3 ? std::atoi(argv[3]) : 300;
    if (games < 1 || timeFactor <= 0 || maxPlies < 1) {
        std::fprintf(stderr,
                     "usage: strength_ladder [--rules simple|standard] "
                     "[GAMES_PER_PAIR] [TIME_FACTOR] [MAX_PLIES]\n");
        return 2;
    }
    std::printf("%s rules, %d games per pair, time per move x %.2f, a draw at %d plies\n",
                simple ? "simple" : "standard", games, timeFactor, maxPlies);
    const std::int64_t began = nowMs();
    int pairsWon = 0;
    for (int lower = kMinLevel; lower < kMaxLevel; ++lower) {
        UsiEngine weaker;
        UsiEngine stronger;
        if (!startEngine(weaker, lower, simple) || !startEngine(stronger, lower + 1, simple)) {
            return 1;
        }
        int wins = 0;
        int draws = 0;
        int losses = 0;
        long plies = 0;
        std::string endings;
        for (int game = 0; game < games; ++game) {
            // The stronger level takes Blue in every other game.
            const bool strongerBlue = game % 2 == 0;
            UsiEngine* players[2] = {strongerBlue ? &stronger : &weaker,
                                     strongerBlue ? &weaker : &stronger};
            int length = 0;
            GameEnd how = GameEnd::None;
            const int result = playGame(players, simple, timeFactor, 0, maxPlies, &length, &how);
            if (result == -2) {
                return 1;
            }
            plies += length;
            endings += std::string(endings.empty() ? "" : ", ") + endName(how, simple);
            const int forStronger = strongerBlue ? result : -result;
            wins += forStronger > 0;
            draws += forStronger == 0;
            losses += forStronger < 0;
        }
        const double score = wins + draws / 2.0;
        pairsWon += score > games / 2.0;
        std::printf(
            "level %2d vs %2d: %4.1f - %4.1f  (won %d, drawn %d, lost %d; %ld plies a game; %s)\n",
            lower + 1, lower, score, games - score, wins, draws, losses, plies / games,
            endings.c_str());
        std::fflush(stdout);
    }
    std::printf("the higher level won %d of %d pairs in %.0f s\n", pairsWon, kMaxLevel - kMinLevel,
                (nowMs() - began) / 1000.0);
    return 0;
}
