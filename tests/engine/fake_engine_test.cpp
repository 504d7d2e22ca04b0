#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/think_time.h"
#include "engine/usi_engine.h"
#include "engine_harness.h"

namespace ixo {
namespace {

using testing::EngineTest;
using testing::nowMs;
using testing::runEngine;
using testing::until;
using Kind = EngineEvent::Kind;

// Tests shorten every wait, so that a hang is caught in a second or two rather than ten,
// yet leave a fake that starts slowly on a busy machine time enough.
EngineSetup fakeSetup(std::vector<std::string> arguments, double factor = 0.3) {
    EngineSetup setup;
    setup.program = IXO_FAKE_ENGINE;
    setup.arguments = std::move(arguments);
    setup.timeouts.factor = factor;
    return setup;
}

// The fake's log of what it was sent, one line each.
class LoggedFake {
  public:
    LoggedFake() {
        char name[] = "/tmp/ixo-fake-log-XXXXXX";
        const int descriptor = mkstemp(name);
        close(descriptor);
        path_ = name;
    }
    ~LoggedFake() { std::remove(path_.c_str()); }
    std::vector<std::string> arguments(std::vector<std::string> more = {}) const {
        more.push_back("--log");
        more.push_back(path_);
        return more;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> lines;
        std::ifstream stream(path_);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

  private:
    std::string path_;
};

Kind lastKind(const std::vector<EngineEvent>& events) {
    return events.empty() ? Kind::Ready : events.back().kind;
}

class FakeEngine : public EngineTest {};

TEST_F(FakeEngine, StartsSearchesAndQuitsSendingWhatUsiExpectsInOrder) {
    LoggedFake fake;
    UsiEngine engine;
    EngineSetup setup = fakeSetup(fake.arguments());
    setup.level = 3;
    setup.options = {{"Hash", "64"}, {"Ponder", "true"}, {"Hash", "1\ngo infinite"}};
    ASSERT_TRUE(engine.start(setup, nowMs()));
    // A search asked for during the start waits for readyok.
    ASSERT_TRUE(engine.go("", {"7g7f", "3c3d"}, engine.levelTimes(0), nowMs()));
    const auto events = runEngine(engine, until(Kind::BestMove), 5000);
    ASSERT_EQ(lastKind(events), Kind::BestMove);
    EXPECT_EQ(events.back().move, "7g7f");
    EXPECT_EQ(engine.name(), "Fake Engine 1.0");
    EXPECT_EQ(engine.latestInfo().score.centipawns, 42);
    int warnings = 0;
    for (const EngineEvent& event : events) {
        warnings += event.kind == Kind::Warning;
    }
    // An option the engine does not offer, and one that would smuggle in a command, are
    // reported and not sent.
    EXPECT_EQ(warnings, 2);
    engine.shutdown();
    EXPECT_EQ(engine.state(), EngineState::Gone);

    const std::vector<std::string> expected = {
        "usi",
        "setoption name Skill Level value -10",
        "setoption name Hash value 64",
        "isready",
        "usinewgame",
        "position startpos moves 7g7f 3c3d",
        "go btime 0 wtime 0 byoyomi 200",
        "quit",
    };
    EXPECT_EQ(fake.lines(), expected);
}

TEST_F(FakeEngine, OptionsAreSentAgainAfterEveryUsi) {
    LoggedFake fake;
    UsiEngine engine;
    const EngineSetup setup = fakeSetup(fake.arguments());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(engine.start(setup, nowMs()));
        ASSERT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
    }
    engine.shutdown();
    int usi = 0;
    int skill = 0;
    for (const std::string& line : fake.lines()) {
        usi += line == "usi";
        skill += line.rfind("setoption name Skill Level", 0) == 0;
    }
    EXPECT_EQ(usi, 2);
    EXPECT_EQ(skill, 2);
}

TEST_F(FakeEngine, FaultsEndTheEngineAndSayWhatHappened) {
    struct Case {
        std::vector<std::string> arguments;
        EngineFault fault;
        const char* said;
        bool stop;  // the search is stopped at once
        double factor = 0.3;
    };
    const Case cases[] = {
        {{"--slow-usiok", "3"}, EngineFault::NoUsiOk, "no usiok within 1 s", false, 0.1},
        {{"--no-readyok"}, EngineFault::NoReadyOk, "no readyok", false},
        {{"--garbage"}, EngineFault::Garbage, "not USI", false},
        {{"--endless-line"}, EngineFault::Garbage, "longer than any USI line", false},
        {{"--crash-in-search"},
         EngineFault::Exited,
         "signal 11 (Segmentation fault) (its last line: \"info string about to crash\")",
         false},
        {{"--close-output-in-search"}, EngineFault::Exited, "closed its output", false},
        {{"--no-bestmove"}, EngineFault::NoBestMove, "no bestmove within 1.6 s", false},
        {{"--think", "30", "--ignore-stop"},
         EngineFault::NoAnswerToStop,
         "did not answer stop",
         true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments.front());
        UsiEngine engine;
        ASSERT_TRUE(engine.start(fakeSetup(test.arguments, test.factor), nowMs()));
        GoTimes times = engine.levelTimes(0);
        times.byoyomiMs = 100;
        engine.go("", {}, times, nowMs());
        if (test.stop) {
            runEngine(engine, until(Kind::Info), 5000);
            engine.stop(nowMs());
        }
        const auto events = runEngine(engine, until(Kind::BestMove), 5000);
        ASSERT_EQ(lastKind(events), Kind::Fault);
        EXPECT_EQ(events.back().fault, test.fault);
        EXPECT_NE(events.back().message.find(test.said), std::string::npos)
            << events.back().message;
        EXPECT_EQ(engine.state(), EngineState::Gone);
        EXPECT_EQ(engine.readDescriptor(), -1);
    }
}

TEST_F(FakeEngine, MovesResignAndWinAreHandedOnUnjudged) {
    const std::pair<const char*, Kind> answers[] = {
        {"zz99", Kind::BestMove}, {"resign", Kind::Resign}, {"win", Kind::Win}};
    for (const auto& [answer, kind] : answers) {
        UsiEngine engine;
        ASSERT_TRUE(engine.start(fakeSetup({"--move", answer}), nowMs()));
        engine.go("", {}, engine.levelTimes(0), nowMs());
        const auto events = runEngine(
            engine,
            [](const EngineEvent& event) {
                return event.kind == Kind::BestMove || event.kind == Kind::Resign ||
                       event.kind == Kind::Win || event.kind == Kind::Fault;
            },
            5000);
        ASSERT_EQ(lastKind(events), kind) << answer;
        if (kind == Kind::BestMove) {
            EXPECT_EQ(events.back().move, answer);
        }
        EXPECT_EQ(engine.state(), EngineState::Ready);
    }
}

TEST_F(FakeEngine, TheBestMoveOfAStoppedSearchIsThrownAway) {
    LoggedFake fake;
    UsiEngine engine;
    ASSERT_TRUE(
        engine.start(fakeSetup(fake.arguments({"--think", "30", "--move", "2g2f"})), nowMs()));
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
    ASSERT_TRUE(engine.go("", {}, engine.levelTimes(0), nowMs()));
    engine.stop(nowMs());
    EXPECT_EQ(engine.state(), EngineState::Stopping);
    // Asked for while the stop is still answered, this search goes out once it has been.
    ASSERT_TRUE(engine.go("", {"7g7f"}, engine.levelTimes(1), nowMs()));
    engine.stop(nowMs());
    ASSERT_TRUE(engine.go("", {"7g7f"}, engine.levelTimes(1), nowMs()));
    runEngine(
        engine, [](const EngineEvent&) { return false; }, 300);
    EXPECT_EQ(engine.staleBestMovesDropped(), 1);
    EXPECT_EQ(engine.state(), EngineState::Thinking);
    engine.shutdown();
    int searches = 0;
    for (const std::string& line : fake.lines()) {
        searches += line.rfind("go ", 0) == 0;
    }
    EXPECT_EQ(searches, 2);
}

TEST_F(FakeEngine, ANewGameAbandonsTheSearchOfTheOldOne) {
    LoggedFake fake;
    UsiEngine engine;
    ASSERT_TRUE(engine.start(fakeSetup(fake.arguments({"--think", "30"})), nowMs()));
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
    ASSERT_TRUE(engine.go("", {"7g7f"}, engine.levelTimes(1), nowMs()));
    engine.newGame(nowMs());
    ASSERT_TRUE(engine.go("", {}, engine.levelTimes(0), nowMs()));
    const auto events = runEngine(engine, until(Kind::Info), 5000);
    ASSERT_EQ(lastKind(events), Kind::Info);
    engine.shutdown();
    const std::vector<std::string> expected = {"usi",
                                               "setoption name Skill Level value 0",
                                               "isready",
                                               "usinewgame",
                                               "position startpos moves 7g7f",
                                               "go btime 0 wtime 0 byoyomi 500",
                                               "stop",
                                               "usinewgame",
                                               "position startpos",
                                               "go btime 0 wtime 0 byoyomi 500",
                                               "stop",
                                               "quit"};
    EXPECT_EQ(fake.lines(), expected);
}

TEST_F(FakeEngine, AnEngineThatIgnoresStopAndQuitIsKilled) {
    UsiEngine engine;
    ASSERT_TRUE(
        engine.start(fakeSetup({"--think", "30", "--ignore-stop", "--ignore-quit"}), nowMs()));
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
    engine.go("", {}, engine.levelTimes(0), nowMs());
    // The fixture checks that the child was reaped; shutdown returns only once it is.
    engine.shutdown();
    EXPECT_EQ(engine.state(), EngineState::Gone);
}

TEST_F(FakeEngine, AnEngineWithoutVariantsIsRefusedForTheSimpleRules) {
    UsiEngine engine;
    EngineSetup setup = fakeSetup({});
    setup.variantFile = IXO_VARIANT_FILE;
    setup.variantName = kSimpleRulesVariant;
    ASSERT_TRUE(engine.start(setup, nowMs()));
    const auto events = runEngine(engine, until(Kind::Ready), 5000);
    ASSERT_EQ(lastKind(events), Kind::Fault);
    EXPECT_EQ(events.back().fault, EngineFault::CannotPlayVariant);

    setup.arguments = {"--variant"};
    ASSERT_TRUE(engine.start(setup, nowMs()));
    EXPECT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
}

TEST_F(FakeEngine, GpsusiIsNeverSentAnIncrement) {
    LoggedFake fake;
    UsiEngine engine;
    ASSERT_TRUE(
        engine.start(fakeSetup(fake.arguments({"--name", "gpsshogi (smp) fake"})), nowMs()));
    GoTimes times;
    times.blueMs = 60000;
    times.redMs = 50000;
    times.blueIncrementMs = 10000;
    times.redIncrementMs = 10000;
    engine.go("", {}, times, nowMs());
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::BestMove), 5000)), Kind::BestMove);
    engine.shutdown();
    const std::vector<std::string> lines = fake.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "go btime 60000 wtime 50000"), lines.end());
}

// An engine holding another engine's pipe would keep that one from ever seeing its end of
// file; so each child sees its own two pipes and our stderr, and nothing else.
TEST_F(FakeEngine, TheChildHoldsNoDescriptorButItsOwn) {
    UsiEngine other;
    ASSERT_TRUE(other.start(fakeSetup({}), nowMs()));
    // A descriptor some library opened without close-on-exec must not reach the child either.
    const int careless = dup(STDERR_FILENO);
    EngineProcess process;
    std::string error;
    ASSERT_TRUE(process.start(IXO_FAKE_ENGINE, {"--report-fds"}, error)) << error;
    ASSERT_TRUE(process.sendLine("isready"));
    std::string line;
    const std::int64_t giveUp = nowMs() + 5000;
    while (line.rfind("info string fds", 0) != 0 && nowMs() < giveUp) {
        if (process.readLine(line) == EngineProcess::Read::NothingYet) {
            usleep(5000);
        }
    }
    EXPECT_EQ(line, "info string fds 0 1 2");
    close(careless);
}

TEST_F(FakeEngine, AMissingEngineSaysWhereItWasLookedFor) {
    UsiEngine engine;
    EngineSetup setup;
    setup.program = "no-such-engine-here";
    EXPECT_FALSE(engine.start(setup, nowMs()));
    EngineEvent event;
    ASSERT_TRUE(engine.pollEvent(event));
    EXPECT_EQ(event.fault, EngineFault::NotFound);
    EXPECT_EQ(event.message, "no program no-such-engine-here on PATH or in /usr/games");
}

// The `go` the computer sends at every level, as the clock allows: the level's own time with
// no clock or a generous one, less with a clock that cannot afford it, and always in the one
// form that gpsusi and fairy-stockfish both honour.
TEST_F(FakeEngine, EveryLevelAsksForItsOwnTimeInTheOneFormEveryEngineTakes) {
    struct Case {
        const char* what;
        ClockRules clock;
        SideTime own;
        const char* expected[kMaxLevel];
    };
    const Case cases[] = {
        {"no clock",
         {},
         {},
         {"100", "150", "200", "300", "500", "700", "1000", "1500", "2000", "4000"}},
        // 1 s left and no byoyomi: no level may think past 650 ms.
        {"a clock shorter than the level",
         {60000, 0, 0},
         {1000, 0},
         {"100", "150", "200", "300", "500", "650", "650", "650", "650", "650"}},
        // 10 min + 30 s: every level keeps its pace; level 10 spends a share of the clock.
        {"byoyomi",
         {600000, 30000, 0},
         {600000, 30000},
         {"100", "150", "200", "300", "500", "700", "1000", "1500", "2000", "15000"}},
        // 3 min + 2 s: the increment comes after the move, so only the main time counts.
        {"increment",
         {180000, 0, 2000},
         {180000, 0},
         {"100", "150", "200", "300", "500", "700", "1000", "1500", "2000", "4500"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        LoggedFake fake;
        UsiEngine engine;
        ASSERT_TRUE(engine.start(fakeSetup(fake.arguments()), nowMs()));
        for (int level = kMinLevel; level <= kMaxLevel; ++level) {
            ASSERT_TRUE(
                engine.go("", {}, thinkTime(level, test.clock, test.own, test.own, 0, 0), nowMs()));
            ASSERT_EQ(lastKind(runEngine(engine, until(Kind::BestMove), 5000)), Kind::BestMove);
        }
        engine.shutdown();
        std::vector<std::string> goes;
        for (const std::string& line : fake.lines()) {
            if (line.rfind("go ", 0) == 0) {
                goes.push_back(line);
            }
        }
        ASSERT_EQ(goes.size(), static_cast<std::size_t>(kMaxLevel));
        for (int level = kMinLevel; level <= kMaxLevel; ++level) {
            EXPECT_EQ(goes[level - 1],
                      std::string("go btime 0 wtime 0 byoyomi ") + test.expected[level - 1])
                << "level " << level;
        }
    }
}

// gpsusi thinks about a second whatever shorter byoyomi it is given; a level's time must
// hold all the same, so an engine still searching after it is stopped, and its move played.
TEST_F(FakeEngine, AnEngineThatThinksPastItsTimeIsStoppedAndItsMoveTaken) {
    LoggedFake fake;
    UsiEngine engine;
    ASSERT_TRUE(
        engine.start(fakeSetup(fake.arguments({"--think", "30", "--move", "2g2f"}), 1.0), nowMs()));
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::Ready), 5000)), Kind::Ready);
    const std::int64_t asked = nowMs();
    ASSERT_TRUE(engine.go("", {}, thinkTime(1, {}, {}, {}, 0, 0), asked));
    const auto events = runEngine(engine, until(Kind::BestMove), 5000);
    const std::int64_t answered = nowMs();
    ASSERT_EQ(lastKind(events), Kind::BestMove);
    EXPECT_EQ(events.back().move, "2g2f");
    EXPECT_GE(answered - asked, 100 + kStopGraceMs);
    EXPECT_LT(answered - asked, 3000);  // it would think 30 s, or fault at 5 s
    EXPECT_EQ(engine.staleBestMovesDropped(), 0);
    engine.shutdown();
    const std::vector<std::string> lines = fake.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "stop"), lines.end());
}

TEST_F(FakeEngine, EachMultipvLineIsKeptApartAndTheFirstIsTheBest) {
    UsiEngine engine;
    ASSERT_TRUE(engine.start(fakeSetup({"--multipv", "3", "--think", "0.2"}), nowMs()));
    ASSERT_TRUE(engine.go("", {}, engine.levelTimes(0), nowMs()));
    ASSERT_EQ(lastKind(runEngine(engine, until(Kind::BestMove), 5000)), Kind::BestMove);
    const std::vector<SearchInfo>& lines = engine.searchLines();
    ASSERT_EQ(lines.size(), 3u);
    for (int number = 1; number <= 3; ++number) {
        SCOPED_TRACE(number);
        const SearchInfo& line = lines[static_cast<std::size_t>(number - 1)];
        EXPECT_EQ(line.multiPv, number);
        EXPECT_EQ(line.score.centipawns, number == 1 ? 42 : 100 - 30 * number);
        EXPECT_EQ(line.nodes, 1000 * number);
        EXPECT_EQ(line.principalVariation.size(), number == 1 ? 1u : 2u);
    }
    // A partial line deepens its own line and leaves the others as they were.
    EXPECT_EQ(lines[1].depth, 6);
    EXPECT_EQ(lines[2].depth, 5);
    // A line without a number is the best line, and that is what the evaluation shows.
    EXPECT_EQ(lines[0].depth, 3);
    EXPECT_EQ(&engine.latestInfo(), &lines[0]);
    engine.shutdown();
}

}  // namespace
}  // namespace ixo
