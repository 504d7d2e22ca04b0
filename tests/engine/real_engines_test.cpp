#include <cstdlib>
#include <regex>

#include "engine/usi_engine.h"
#include "engine_harness.h"

namespace ixo {
namespace {

using testing::EngineTest;
using testing::nowMs;
using testing::runEngine;
using testing::until;
using Kind = EngineEvent::Kind;

// A developer without the packages may skip these; CI installs both and must run them.
bool engineInstalled(const char* name) {
    std::string path;
    std::string error;
    if (findEngine(name, path, error)) {
        return true;
    }
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") {
        ADD_FAILURE() << name << " must be installed under CI (setup.sh's test packages)";
    }
    return false;
}

#define REQUIRE_ENGINE(name)                                                   \
    if (!engineInstalled(name)) {                                              \
        GTEST_SKIP() << name                                                   \
                     << " is not installed (Debian packages fairy-stockfish, " \
                        "gpsshogi); skipped";                                  \
    }

bool looksLikeUsiMove(const std::string& move) {
    static const std::regex kMove("([1-9][a-i][1-9][a-i]\\+?|[PLNSGBR]\\*[1-9][a-i])");
    return std::regex_match(move, kMove);
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

TEST_F(RealEngine, FairyStockfishTakesTheSimpleRulesVariant) {
    REQUIRE_ENGINE("fairy-stockfish");
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    setup.level = 1;
    setup.variantFile = IXO_VARIANT_FILE;
    setup.variantName = kSimpleRulesVariant;
    std::string name;
    const std::string move = playOneMove(setup, {}, &name);
    // No drops in that game.
    EXPECT_TRUE(looksLikeUsiMove(move) && move.find('*') == std::string::npos) << move;
}

// Leaf counts of the simple rules from the start, worked out independently of
// fairy-stockfish: only its own perft over the shipped definition is checked here.
TEST_F(RealEngine, TheVariantDefinitionHasTheSimpleRulesPerft) {
    REQUIRE_ENGINE("fairy-stockfish");
    std::string path;
    std::string error;
    ASSERT_TRUE(findEngine("fairy-stockfish", path, error));
    char* definition = realpath(IXO_VARIANT_FILE, nullptr);
    ASSERT_NE(definition, nullptr);
    EngineProcess process;
    ASSERT_TRUE(process.start(path, {}, error)) << error;
    process.sendLine("usi");
    process.sendLine(std::string("setoption name VariantPath value ") + definition);
    free(definition);
    process.sendLine(std::string("setoption name UCI_Variant value ") + kSimpleRulesVariant);
    process.sendLine("position startpos");
    const long expected[] = {30, 900, 25440};
    for (int depth = 1; depth <= 3; ++depth) {
        process.sendLine("go perft " + std::to_string(depth));
        std::string line;
        long nodes = -1;
        const std::int64_t giveUp = nowMs() + 20000;
        while (nodes < 0 && nowMs() < giveUp) {
            const EngineProcess::Read read = process.readLine(line);
            if (read == EngineProcess::Read::Closed) {
                break;
            }
            if (read == EngineProcess::Read::NothingYet) {
                pollfd watched{process.readDescriptor(), POLLIN, 0};
                poll(&watched, 1, 100);
            } else if (line.rfind("Nodes searched: ", 0) == 0) {
                nodes = std::atol(line.c_str() + 16);
            }
        }
        EXPECT_EQ(nodes, expected[depth - 1]) << "perft " << depth;
    }
    process.sendLine("quit");
    EXPECT_TRUE(process.waitForExit(2000));
    process.kill();
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
