#include <gtest/gtest.h>

#include <cstdlib>

#include "analysis/analysis_harness.h"
#include "record/kif_syntax.h"
#include "support/installed_engine.h"

namespace ixo::testing {
namespace {

using State = RecordAnalyser::State;

class RecordAnalysis : public EngineTest {};

TEST_F(RecordAnalysis, JudgesEveryPositionFromBluesSideAndReportsEachStep) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    // Scores from the side to move, as engines give them.
    ASSERT_TRUE(analyser.start(
        record, fakeAnalyst({kShortGameAnswers, "--scores=30,-20,40,-10,50"}), 100, nowMs()));
    const std::vector<int> progress = runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Finished) << analyser.reason();
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(analyser.total(), 5);
    const std::vector<int> blue{30, 20, 40, 10, 50};
    const std::vector<const RecordNode*> nodes = mainLine(record);
    ASSERT_EQ(nodes.size(), 5u);
    for (std::size_t ply = 0; ply < nodes.size(); ++ply) {
        ASSERT_TRUE(nodes[ply]->evaluated) << "ply " << ply;
        EXPECT_EQ(nodes[ply]->evaluation.centipawns, blue[ply]) << "ply " << ply;
        EXPECT_NE(nodes[ply]->comment.find("#評価値=" + std::to_string(blue[ply])),
                  std::string::npos)
            << nodes[ply]->comment;
    }
    EXPECT_EQ(nodes[0]->evaluation.line, "▲７六歩(77)");
    EXPECT_EQ(nodes[1]->evaluation.line, "△３四歩(33)");
}

TEST_F(RecordAnalysis, StopKeepsTheVerdictsAlreadyGiven) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    ASSERT_TRUE(
        analyser.start(record, fakeAnalyst({kShortGameAnswers, "--think=0.3"}), 1000, nowMs()));
    runAnalyser(
        analyser, [&] { return analyser.done() >= 2; }, 10000);
    analyser.stop(nowMs());

    EXPECT_EQ(analyser.state(), State::Stopped);
    EXPECT_EQ(analyser.done(), 2);
    // The answer the stop draws out belongs to no verdict.
    runAnalyser(
        analyser, [] { return false; }, 500);
    const std::vector<const RecordNode*> nodes = mainLine(record);
    EXPECT_TRUE(nodes[0]->evaluated && nodes[1]->evaluated);
    EXPECT_FALSE(nodes[2]->evaluated || nodes[3]->evaluated || nodes[4]->evaluated);
    EXPECT_EQ(nodes[2]->comment, "");
}

TEST_F(RecordAnalysis, AnEngineThatCrashesEndsItWithTheReasonAndKeepsWhatWasDone) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    ASSERT_TRUE(
        analyser.start(record, fakeAnalyst({kShortGameAnswers, "--crash-at=2"}), 100, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Failed);
    EXPECT_NE(analyser.reason().find("Segmentation fault"), std::string::npos) << analyser.reason();
    EXPECT_EQ(analyser.done(), 2);
    EXPECT_TRUE(mainLine(record)[1]->evaluated);
    EXPECT_FALSE(mainLine(record)[2]->evaluated);
}

TEST_F(RecordAnalysis, AnEngineThatHangsIsGivenUpAtItsNamedTimeout) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    EngineSetup setup = fakeAnalyst({kShortGameAnswers, "--hang-at=1"});
    // However the engine client waits (for the bestmove, or for the answer to a stop it
    // sends at the end of the time), each wait is short here.
    setup.timeouts.bestMoveMarginMs = 300;
    setup.timeouts.stopMs = 300;
    ASSERT_TRUE(analyser.start(record, setup, 100, nowMs()));
    const std::int64_t began = nowMs();
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Failed);
    EXPECT_NE(analyser.reason().find(" within "), std::string::npos) << analyser.reason();
    EXPECT_LT(nowMs() - began, 5000);
    EXPECT_EQ(analyser.done(), 1);
}

TEST_F(RecordAnalysis, AMoveTheRulesRefuseEndsItAndNamesTheMove) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    ASSERT_TRUE(analyser.start(record, fakeAnalyst({"--answers=7g7f,3c3d,5e5d"}), 100, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Failed);
    EXPECT_NE(analyser.reason().find("5e5d after move 2"), std::string::npos) << analyser.reason();
    EXPECT_EQ(analyser.done(), 2);
    EXPECT_FALSE(mainLine(record)[2]->evaluated);
}

TEST_F(RecordAnalysis, AGarbledInfoLineEndsIt) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    ASSERT_TRUE(analyser.start(
        record, fakeAnalyst({kShortGameAnswers, "--garble-at=0", "--think=0.2"}), 100, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Failed);
    EXPECT_NE(analyser.reason().find("not USI"), std::string::npos) << analyser.reason();
    EXPECT_EQ(analyser.done(), 0);
}

TEST_F(RecordAnalysis, ALineIsCutWhereItGoesAgainstTheRules) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    ASSERT_TRUE(analyser.start(
        record, fakeAnalyst({kShortGameAnswers, "--lines=7g7f/3c3d/3c3d/2g2f"}), 100, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Finished) << analyser.reason();
    EXPECT_EQ(mainLine(record)[0]->evaluation.line, "▲７六歩(77)△３四歩(33)");
    const std::vector<std::string> warnings = analyser.takeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cut before 3c3d"), std::string::npos) << warnings[0];
}

TEST_F(RecordAnalysis, AMateIsKeptAsAMateForTheSideThatGivesIt) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    // After move 1 Red is to move and mates in 3.
    ASSERT_TRUE(analyser.start(record, fakeAnalyst({kShortGameAnswers, "--scores=0,mate:3"}), 100,
                               nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    const RecordNode& afterFirst = *mainLine(record)[1];
    EXPECT_EQ(afterFirst.evaluation.mateIn, -3);
    EXPECT_NE(afterFirst.comment.find("#詰み=後手勝ち:3手"), std::string::npos)
        << afterFirst.comment;
}

TEST_F(RecordAnalysis, AMatedPositionIsJudgedWithoutAskingTheEngine) {
    // Red, to move after the gold, has no move at all; an engine asked would answer nonsense.
    RecordReading reading = readKifRecord(
        "後手の持駒：なし\n"
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
        "+---------------------------+\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・v玉|一\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
        "| ・ ・ ・ ・ ・ ・ 銀 金 ・|三\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
        "| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九\n"
        "+---------------------------+\n"
        "先手の持駒：なし\n"
        "先手番\n"
        "手数----指手---------消費時間--\n"
        "   1 ２二金(23)\n");
    ASSERT_TRUE(reading.ok()) << reading.error;
    RecordAnalyser analyser;
    ASSERT_TRUE(analyser.start(reading.record, fakeAnalyst({"--answers=2c2b,1a1b"}), 100, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 10000);

    EXPECT_EQ(analyser.state(), State::Finished) << analyser.reason();
    const RecordNode& mated = *reading.record.root().mainChild();
    EXPECT_NE(mated.comment.find("#詰み=先手勝ち"), std::string::npos) << mated.comment;
}

TEST_F(RecordAnalysis, AnEngineThatCannotBeFoundSaysSoAtOnce) {
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    EngineSetup setup;
    setup.program = "/nonexistent/engine";
    EXPECT_FALSE(analyser.start(record, setup, 100, nowMs()));
    EXPECT_EQ(analyser.state(), State::Failed);
    EXPECT_FALSE(analyser.reason().empty());
}

TEST_F(RecordAnalysis, FairyStockfishJudgesARealOpening) {
    REQUIRE_ENGINE("fairy-stockfish");
    GameRecord record = shortGame();
    RecordAnalyser analyser;
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    ASSERT_TRUE(analyser.start(record, setup, 200, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 30000);

    ASSERT_EQ(analyser.state(), State::Finished) << analyser.reason();
    for (const RecordNode* node : mainLine(record)) {
        ASSERT_TRUE(node->evaluated);
        // Four quiet opening moves: nobody is lost, and every line is a legal one.
        EXPECT_LT(std::abs(node->evaluation.centipawns), 1000) << node->comment;
        EXPECT_FALSE(node->evaluation.line.empty());
    }
}

TEST_F(RecordAnalysis, FairyStockfishJudgesASimpleRulesGameThroughTheVariant) {
    REQUIRE_ENGINE("fairy-stockfish");
    RecordReading reading = readKifRecord(std::string(kSimpleRulesMarker) +
                                          "\n手合割：平手\n"
                                          "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２二角成(88)\n");
    ASSERT_TRUE(reading.ok()) << reading.error;
    ASSERT_EQ(reading.record.rules, RuleSet::Simple);
    RecordAnalyser analyser;
    EngineSetup setup;
    setup.variantFile = IXO_VARIANT_FILE;
    ASSERT_TRUE(analyser.start(reading.record, setup, 200, nowMs()));
    runAnalyser(analyser, untilOver(analyser), 30000);

    ASSERT_EQ(analyser.state(), State::Finished) << analyser.reason();
    for (const RecordNode* node : mainLine(reading.record)) {
        EXPECT_TRUE(node->evaluated) << "ply " << node->ply;
        EXPECT_FALSE(node->evaluation.line.empty()) << "ply " << node->ply;
    }
    // Blue took a bishop for nothing under rules where it never comes back.
    EXPECT_GT(mainLine(reading.record)[3]->evaluation.centipawns, 0);
}

}  // namespace
}  // namespace ixo::testing
