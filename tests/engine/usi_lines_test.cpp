#include "engine/usi_lines.h"

#include "gtest/gtest.h"

namespace ixo {
namespace {

using Kind = EngineLine::Kind;

TEST(UsiLines, OptionNamesRunUpToTypeAndValuesMayHoldSpaces) {
    EngineLine line =
        parseEngineLine("option name Skill Level type spin default 20 min -20 max 20");
    ASSERT_EQ(line.kind, Kind::Option);
    EXPECT_EQ(line.option.name, "Skill Level");
    EXPECT_EQ(line.option.type, "spin");
    EXPECT_EQ(line.option.defaultValue, "20");
    EXPECT_EQ(line.option.min, "-20");
    EXPECT_EQ(line.option.max, "20");

    line = parseEngineLine(
        "option name Analysis Contempt type combo default Both var Both var Off var White");
    EXPECT_EQ(line.option.name, "Analysis Contempt");
    EXPECT_EQ(line.option.choices, (std::vector<std::string>{"Both", "Off", "White"}));

    line = parseEngineLine("option name Debug Log File type string default ");
    EXPECT_EQ(line.option.name, "Debug Log File");
    EXPECT_EQ(line.option.defaultValue, "");
    EXPECT_EQ(parseEngineLine("option name type").kind, Kind::Unknown);
}

TEST(UsiLines, InfoKeepsWhatWasSentAndNothingElse) {
    EngineLine line = parseEngineLine(
        "info depth 14 seldepth 21 multipv 1 score cp 101 upperbound nodes 496058 nps 407607 "
        "hashfull 282 tbhits 0 time 1217 pv 6g6f 3c3d");
    ASSERT_EQ(line.kind, Kind::Info);
    EXPECT_EQ(line.info.depth, 14);
    EXPECT_EQ(line.info.selectiveDepth, 21);
    EXPECT_EQ(line.info.nodes, 496058);
    EXPECT_EQ(line.info.timeMs, 1217);
    EXPECT_EQ(line.info.score.kind, Score::Kind::Centipawns);
    EXPECT_EQ(line.info.score.centipawns, 101);
    EXPECT_TRUE(line.info.score.bound);
    EXPECT_EQ(line.info.principalVariation, (std::vector<std::string>{"6g6f", "3c3d"}));

    // gpsusi's partial lines and a number out of range leave the fields absent.
    line = parseEngineLine("info currmove 8d8e");
    EXPECT_FALSE(line.info.showsProgress());
    EXPECT_EQ(line.info.currentMove, "8d8e");
    line = parseEngineLine("info depth 99999999999999999999 score cp x");
    EXPECT_EQ(line.info.depth, -1);
    EXPECT_EQ(line.info.score.kind, Score::Kind::None);
}

TEST(UsiLines, MatesAreReadWhicheverWayTheEngineSaysThem) {
    // gpsusi: a mate as a huge cp value.
    Score score = parseEngineLine("info depth 2 seldepth 1 time 3 score cp 1148897 nodes 4 pv G*5b")
                      .info.score;
    EXPECT_EQ(score.kind, Score::Kind::Mate);
    EXPECT_TRUE(score.matingSide);
    EXPECT_EQ(score.mateIn, 0);

    score = parseEngineLine("info score mate -3 pv 5a4b").info.score;
    EXPECT_EQ(score.kind, Score::Kind::Mate);
    EXPECT_FALSE(score.matingSide);
    EXPECT_EQ(score.mateIn, 3);
    EXPECT_FALSE(parseEngineLine("info score mate -").info.score.matingSide);
    EXPECT_FALSE(parseEngineLine("info score mate -0").info.score.matingSide);

    // Red to move and mating is Blue being mated.
    EXPECT_FALSE(parseEngineLine("info score mate 5").info.score.fromBlue(1).matingSide);
    EXPECT_EQ(parseEngineLine("info score cp 120").info.score.fromBlue(1).centipawns, -120);
}

TEST(UsiLines, BestMoveFormsAndWhatIsNotUsi) {
    EngineLine line = parseEngineLine("bestmove 6g6f ponder 3c3d");
    EXPECT_EQ(line.kind, Kind::BestMove);
    EXPECT_EQ(line.text, "6g6f");
    EXPECT_EQ(line.ponderMove, "3c3d");
    EXPECT_EQ(parseEngineLine("bestmove resign").kind, Kind::Resign);
    EXPECT_EQ(parseEngineLine("bestmove win").kind, Kind::Win);
    EXPECT_EQ(parseEngineLine("bestmove").kind, Kind::Garbage);
    EXPECT_EQ(parseEngineLine(std::string("usiok\0", 6)).kind, Kind::Garbage);
    EXPECT_EQ(parseEngineLine("Fairy-Stockfish 11.1 LB 64 by Fabian Fichter").kind, Kind::Unknown);

    line = parseEngineLine("id name gpsshogi (smp) vm r3033 wordsize 64");
    EXPECT_EQ(line.kind, Kind::IdName);
    EXPECT_EQ(line.text, "gpsshogi (smp) vm r3033 wordsize 64");
}

}  // namespace
}  // namespace ixo
