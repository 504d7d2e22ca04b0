#include <cstdlib>
#include <iterator>
#include <random>
#include <set>

#include "engine/think_time.h"
#include "engine/usi_engine.h"
#include "engine_harness.h"
#include "shogi/board.h"
#include "shogi/move.h"
#include "shogi/random_game.h"
#include "simple_rules_usi.h"
#include "support/installed_engine.h"

namespace ixo {
namespace {

using testing::EngineTest;
using testing::nowMs;
using testing::runEngine;
using testing::until;
using Kind = EngineEvent::Kind;

// "7g7f", "8h2b+" or "P*5e"; whether the move is legal is another question.
bool looksLikeUsiMove(const std::string& move) {
    const auto square = [&move](std::size_t at) {
        return move[at] >= '1' && move[at] <= '9' && move[at + 1] >= 'a' && move[at + 1] <= 'i';
    };
    if (move.size() == 4 && move[1] == '*') {
        return std::string("PLNSGBR").find(move[0]) != std::string::npos && square(2);
    }
    return (move.size() == 4 || (move.size() == 5 && move[4] == '+')) && square(0) && square(2);
}

std::string playOneMove(const EngineSetup& setup, const std::vector<std::string>& moves,
                        std::string* name) {
    UsiEngine engine;
    EXPECT_TRUE(engine.start(setup, nowMs()));
    auto events = runEngine(engine, until(Kind::Ready), 30000);
    EXPECT_FALSE(events.empty());
    if (events.empty() || events.back().kind != Kind::Ready) {
        ADD_FAILURE() << (events.empty() ? "no answer" : events.back().message);
        return std::string();
    }
    EXPECT_TRUE(
        engine.go("", moves, engine.levelTimes(static_cast<int>(moves.size() % 2)), nowMs()));
    events = runEngine(engine, until(Kind::BestMove), 30000);
    EXPECT_FALSE(events.empty());
    if (events.empty() || events.back().kind != Kind::BestMove) {
        ADD_FAILURE() << (events.empty() ? "no bestmove" : events.back().message);
        return std::string();
    }
    *name = engine.name();
    engine.shutdown();
    EXPECT_EQ(engine.state(), EngineState::Gone);
    return events.back().move;
}

class RealEngine : public EngineTest {};

TEST_F(RealEngine, DebiansEnginesAreFoundWithoutUsrGamesOnPath) {
    REQUIRE_ENGINE("fairy-stockfish");
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent:/bin", 1);
    std::string path;
    std::string error;
    const bool found = findEngine("fairy-stockfish", path, error);
    setenv("PATH", saved.c_str(), 1);
    ASSERT_TRUE(found) << error;
    EXPECT_EQ(path, "/usr/games/fairy-stockfish");
}

TEST_F(RealEngine, FairyStockfishPlaysAMoveOfStandardShogi) {
    REQUIRE_ENGINE("fairy-stockfish");
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    setup.level = 1;
    std::string name;
    const std::string move = playOneMove(setup, {"7g7f"}, &name);
    EXPECT_TRUE(looksLikeUsiMove(move)) << move;
    EXPECT_EQ(name.rfind("Fairy-Stockfish", 0), 0u) << name;
}

// A level-1 computer under a 10-minute clock answers in its level's time, not the clock's.
// Out of the opening book, so that gpsusi searches (and thinks its usual second unless it is
// stopped). Its start is allowed what the game allows any start: gpsusi loading its tables on
// a busy machine took 14 s once.
TEST_F(RealEngine, ALevelOneAnswerTakesTheLevelsTimeUnderALongClock) {
    constexpr std::int64_t kAnswerMarginMs = 400;
    const std::vector<std::string> moves = {"1g1f", "9c9d", "1f1e", "9d9e",
                                            "9g9f", "1c1d", "1e1d", "1a1d"};
    for (const char* program : {"fairy-stockfish", "gpsusi"}) {
        SCOPED_TRACE(program);
        if (!test::engineInstalled(program)) {
            continue;  // the other may still be here; CI has failed already in engineInstalled
        }
        EngineSetup setup;
        setup.program = program;
        setup.level = 1;
        UsiEngine engine;
        const std::int64_t started = nowMs();
        ASSERT_TRUE(engine.start(setup, started));
        ASSERT_EQ(runEngine(engine, until(Kind::Ready), 30000).back().kind, Kind::Ready);
        const GoTimes times = thinkTime(1, {600000, 30000, 0}, {600000, 30000}, {600000, 30000},
                                        static_cast<int>(moves.size()), 0);
        EXPECT_EQ(times.byoyomiMs, levelSettings(1).moveTimeMs);
        const std::int64_t asked = nowMs();
        ASSERT_TRUE(engine.go("", moves, times, asked));
        const auto events = runEngine(engine, until(Kind::BestMove), 30000);
        const std::int64_t answered = nowMs();
        ASSERT_EQ(events.back().kind, Kind::BestMove) << events.back().message;
        EXPECT_TRUE(looksLikeUsiMove(events.back().move)) << events.back().move;
        EXPECT_LE(answered - asked, times.byoyomiMs + kStopGraceMs + kAnswerMarginMs);
        const EngineTimeouts& allowed = setup.timeouts;
        EXPECT_LE(answered - started, allowed.scaled(allowed.usiOkMs) +
                                          allowed.scaled(allowed.readyOkMs) + times.byoyomiMs +
                                          kStopGraceMs + kAnswerMarginMs);
        engine.shutdown();
    }
}

// fairy-stockfish with the shipped definition loaded, spoken to directly: perft is a command
// of its own, not USI.
class VariantFairy {
  public:
    bool start() {
        std::string path;
        std::string error;
        char* definition = realpath(IXO_VARIANT_FILE, nullptr);
        if (!definition || !findEngine("fairy-stockfish", path, error) ||
            !process_.start(path, {}, error)) {
            free(definition);
            ADD_FAILURE() << "cannot start fairy-stockfish: " << error;
            return false;
        }
        process_.sendLine("usi");
        process_.sendLine(std::string("setoption name VariantPath value ") + definition);
        free(definition);
        process_.sendLine(std::string("setoption name UCI_Variant value ") + kSimpleRulesVariant);
        return true;
    }
    ~VariantFairy() {
        process_.sendLine("quit");
        process_.waitForExit(2000);
        process_.kill();
    }

    // The leaf count of `go perft depth` after `moves` from the start, -1 without an answer;
    // its root moves ("7g7f: 30") go to `rootMoves` when given.
    long perft(const std::vector<std::string>& moves, int depth,
               std::set<std::string>* rootMoves = nullptr) {
        process_.sendLine(positionCommand("", moves));
        process_.sendLine("go perft " + std::to_string(depth));
        std::string line;
        const std::int64_t giveUp = nowMs() + 20000;
        while (nowMs() < giveUp) {
            const EngineProcess::Read read = process_.readLine(line);
            if (read == EngineProcess::Read::Closed) {
                return -1;
            }
            if (read == EngineProcess::Read::NothingYet) {
                pollfd watched{process_.readDescriptor(), POLLIN, 0};
                poll(&watched, 1, 100);
            } else if (line.rfind("Nodes searched: ", 0) == 0) {
                return std::atol(line.c_str() + 16);
            } else if (rootMoves && line.find(": ") != std::string::npos) {
                rootMoves->insert(line.substr(0, line.find(": ")));
            }
        }
        return -1;
    }

  private:
    EngineProcess process_;
};

long ourPerft(const Board& board, int side, int depth) {
    if (depth == 0) {
        return 1;
    }
    long leaves = 0;
    for (const SquarePair& move : movesOf(board, side)) {
        Board after = board;
        playMove(after, side, move.fromColumn, move.fromRow, move.toColumn, move.toRow);
        leaves += ourPerft(after, 1 - side, depth - 1);
    }
    return leaves;
}

// The counts the definition was first tested with, and our own rules must have them too.
TEST_F(RealEngine, TheVariantDefinitionHasTheSimpleRulesPerft) {
    REQUIRE_ENGINE("fairy-stockfish");
    VariantFairy fairy;
    ASSERT_TRUE(fairy.start());
    Board start;
    start.reset();
    const long expected[] = {30, 900, 25440};
    for (int depth = 1; depth <= 3; ++depth) {
        EXPECT_EQ(fairy.perft({}, depth), expected[depth - 1])
            << "fairy-stockfish, depth " << depth;
        EXPECT_EQ(ourPerft(start, 0, depth), expected[depth - 1]) << "our rules, depth " << depth;
    }
}

// Position by position along random games, fairy-stockfish's moves under the definition are
// exactly the moves our simple rules allow, until a king is taken.
TEST_F(RealEngine, TheVariantDefinitionMovesAsOurSimpleRulesDo) {
    REQUIRE_ENGINE("fairy-stockfish");
    VariantFairy fairy;
    ASSERT_TRUE(fairy.start());
    std::mt19937 random(20261208);
    int positions = 0;
    for (int game = 0; game < 4; ++game) {
        Board board;
        board.reset();
        std::vector<std::string> moves;
        for (int ply = 0; ply < 80; ++ply) {
            const int side = ply % 2;
            const std::set<std::string> ours = ourMoves(board, side);
            std::set<std::string> theirs;
            fairy.perft(moves, 1, &theirs);
            ASSERT_EQ(theirs, ours) << positionCommand("", moves);
            ++positions;
            if (ours.empty()) {
                break;
            }
            auto chosen = ours.begin();
            std::advance(chosen,
                         std::uniform_int_distribution<std::size_t>(0, ours.size() - 1)(random));
            Move made;
            ASSERT_TRUE(playUsi(board, side, *chosen, &made));
            moves.push_back(*chosen);
            if (made.captured == King) {
                break;
            }
        }
    }
    EXPECT_GT(positions, 100);
}

TEST_F(RealEngine, FairyStockfishPlaysAWholeSimpleRulesGameOfLegalMoves) {
    REQUIRE_ENGINE("fairy-stockfish");
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    setup.level = 1;
    setup.variantFile = IXO_VARIANT_FILE;
    setup.variantName = kSimpleRulesVariant;
    UsiEngine engine;
    ASSERT_TRUE(engine.start(setup, nowMs()));
    const auto started = runEngine(engine, until(Kind::Ready), 30000);
    ASSERT_TRUE(!started.empty() && started.back().kind == Kind::Ready);
    Board board;
    board.reset();
    std::vector<std::string> moves;
    bool kingTaken = false;
    while (moves.size() < 300 && !kingTaken) {
        const int side = static_cast<int>(moves.size() % 2);
        GoTimes times = engine.levelTimes(side);
        times.byoyomiMs = 20;
        ASSERT_TRUE(engine.go("", moves, times, nowMs()));
        const auto events = runEngine(engine, until(Kind::BestMove), 30000);
        ASSERT_FALSE(events.empty());
        if (events.back().kind != Kind::BestMove) {
            // A resignation ends the game too; nothing else may.
            ASSERT_EQ(events.back().kind, Kind::Resign) << events.back().message;
            break;
        }
        Move made;
        ASSERT_TRUE(playUsi(board, side, events.back().move, &made))
            << events.back().move << " after " << positionCommand("", moves);
        moves.push_back(events.back().move);
        kingTaken = made.captured == King;
    }
    engine.shutdown();
    EXPECT_GT(moves.size(), 10u);
}

TEST_F(RealEngine, GpsusiPlaysAMoveOfStandardShogi) {
    REQUIRE_ENGINE("gpsusi");
    EngineSetup setup;
    setup.program = "gpsusi";
    setup.level = 1;
    std::string name;
    // Out of its opening book, so that it searches.
    const std::string move = playOneMove(setup, {"7g7f", "8c8d", "2g2f", "8d8e", "8h7g"}, &name);
    EXPECT_TRUE(looksLikeUsiMove(move)) << move;
    EXPECT_EQ(name.rfind("gpsshogi", 0), 0u) << name;
}

}  // namespace
}  // namespace ixo
