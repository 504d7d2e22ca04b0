#include <gtest/gtest.h>

#include "analysis/engine_line.h"
#include "analysis/move_verdict.h"
#include "record/evaluation_comments.h"
#include "record/kif_reader.h"

namespace ixo {
namespace {

Evaluation centipawns(int value, std::string line = {}) {
    Evaluation evaluation;
    evaluation.centipawns = value;
    evaluation.line = std::move(line);
    return evaluation;
}

Evaluation mate(int plies) {
    Evaluation evaluation;
    evaluation.mateIn = plies;
    evaluation.centipawns = plies > 0 ? kUnknownMateCentipawns : -kUnknownMateCentipawns;
    return evaluation;
}

TEST(WinChance, FollowsTheCurveAndPutsMatesAtTheEnds) {
    EXPECT_DOUBLE_EQ(winChance(centipawns(0)), 50.0);
    // 1 / (1 + e^-1) and its mirror, worked out by hand.
    EXPECT_NEAR(winChance(centipawns(600)), 73.1059, 1e-3);
    EXPECT_NEAR(winChance(centipawns(-600)), 26.8941, 1e-3);
    EXPECT_DOUBLE_EQ(winChance(mate(5)), 100.0);
    EXPECT_DOUBLE_EQ(winChance(mate(-1)), 0.0);
    EXPECT_DOUBLE_EQ(winChance(centipawns(-kUnknownMateCentipawns)), 0.0);
}

TEST(MoveLabels, EachThresholdStartsItsLabel) {
    const struct {
        double lost;
        MoveLabel label;
    } cases[] = {
        {-30, MoveLabel::None},        {4.99, MoveLabel::None},     {5, MoveLabel::Inaccuracy},
        {9.99, MoveLabel::Inaccuracy}, {10, MoveLabel::Dubious},    {19.99, MoveLabel::Dubious},
        {20, MoveLabel::Mistake},      {49.99, MoveLabel::Mistake}, {50, MoveLabel::Blunder},
        {100, MoveLabel::Blunder},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(labelForLoss(each.lost), each.label) << each.lost;
    }
    EXPECT_STREQ(labelText(MoveLabel::Inaccuracy), "緩手");
    EXPECT_STREQ(labelText(MoveLabel::Dubious), "疑問手");
    EXPECT_STREQ(labelText(MoveLabel::Mistake), "悪手");
    EXPECT_STREQ(labelText(MoveLabel::Blunder), "大悪手");
    EXPECT_STREQ(labelText(MoveLabel::None), "");
}

// ７六歩 ３四歩 ２六歩 with the evaluations each test gives the four positions.
class LabelledGame : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordReading reading = readKifRecord(
            "手合割：平手\n手数----指手---------消費時間--\n"
            "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２六歩(27)\n");
        ASSERT_TRUE(reading.ok()) << reading.error;
        record = std::move(reading.record);
        for (RecordNode* node = &record.root(); node; node = node->mainChild()) {
            nodes.push_back(node);
        }
    }
    void evaluate(std::vector<Evaluation> evaluations) {
        for (std::size_t index = 0; index < nodes.size(); ++index) {
            nodes[index]->evaluation = evaluations[index];
            nodes[index]->evaluated = true;
        }
    }
    GameRecord record;
    std::vector<RecordNode*> nodes;
};

TEST_F(LabelledGame, AMoveIsJudgedByWhatItCostItsOwnMover) {
    // Blue's 1st move drops Blue from 50 to about 26.9 (a mistake); Red's reply takes Red
    // from 73.1 to 50 (a mistake too, seen from Red's side); Blue's 3rd gains.
    evaluate({centipawns(0), centipawns(-600), centipawns(0), centipawns(600)});
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::Mistake);
    EXPECT_EQ(labelOf(record, *nodes[2]), MoveLabel::Mistake);
    EXPECT_EQ(labelOf(record, *nodes[3]), MoveLabel::None);
    const LabelCounts counts = countLabels(record);
    EXPECT_EQ(counts[0][static_cast<int>(MoveLabel::Mistake)], 1);
    EXPECT_EQ(counts[1][static_cast<int>(MoveLabel::Mistake)], 1);
    EXPECT_EQ(counts[0][static_cast<int>(MoveLabel::Blunder)], 0);
}

TEST_F(LabelledGame, WalkingIntoAMateIsABlunder) {
    evaluate({centipawns(0), mate(-7), mate(-5), mate(-3)});
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::Blunder);
    // Red, mating, keeps mating: nothing lost.
    EXPECT_EQ(labelOf(record, *nodes[2]), MoveLabel::None);
}

TEST_F(LabelledGame, TheEnginesOwnBestMoveIsNeverLabelled) {
    evaluate(
        {centipawns(0, "▲７六歩(77)△３四歩(33)"), centipawns(-900), centipawns(0), centipawns(0)});
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::None);
    // The same loss, 32 points, after a move the engine did not choose is a mistake.
    nodes[0]->evaluation.line = "▲２六歩(27)";
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::Mistake);
    // Written by a program that leaves the origins out.
    nodes[0]->evaluation.line = "▲７六歩△３四歩";
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::None);
    nodes[0]->evaluation.line = "▲７六銀△３四歩";
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::Mistake);
}

TEST_F(LabelledGame, NoVerdictWithoutBothEvaluations) {
    evaluate({centipawns(0), centipawns(-900), centipawns(0), centipawns(0)});
    nodes[0]->evaluated = false;
    EXPECT_EQ(labelOf(record, *nodes[1]), MoveLabel::None);
    EXPECT_EQ(labelOf(record, record.root()), MoveLabel::None);
}

}  // namespace
}  // namespace ixo
