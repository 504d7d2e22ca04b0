#include <gtest/gtest.h>

#include "record/evaluation_comments.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"

namespace ixo {
namespace {

Evaluation scored(int centipawns, int mateIn = 0, std::string line = {}) {
    Evaluation evaluation;
    evaluation.centipawns = centipawns;
    evaluation.mateIn = mateIn;
    evaluation.line = std::move(line);
    return evaluation;
}

TEST(EvaluationComments, AreWrittenAsShogiHomeWritesThem) {
    EXPECT_EQ(withEvaluationLines("", scored(-350, 0, "▲７六歩(77)△３四歩(33)"), "悪手"),
              "【悪手】\n#評価値=-350\n#読み筋=▲７六歩(77)△３四歩(33)");
    EXPECT_EQ(withEvaluationLines("", scored(kUnknownMateCentipawns, 7), ""), "#詰み=先手勝ち:7手");
    EXPECT_EQ(withEvaluationLines("", scored(-kUnknownMateCentipawns), ""), "#詰み=後手勝ち");
}

TEST(EvaluationComments, ReadBackToTheSameEvaluation) {
    const Evaluation cases[] = {
        scored(0), scored(-350, 0, "▲７六歩(77)△同　歩(73)"), scored(kUnknownMateCentipawns, 7),
        scored(-kUnknownMateCentipawns, -12), scored(-kUnknownMateCentipawns)};
    for (const Evaluation& written : cases) {
        Evaluation read;
        const std::string comment = withEvaluationLines("a player's note", written, "緩手");
        ASSERT_TRUE(readEvaluationComment(comment, read)) << comment;
        EXPECT_EQ(read.centipawns, written.centipawns) << comment;
        EXPECT_EQ(read.mateIn, written.mateIn) << comment;
        EXPECT_EQ(read.line, written.line) << comment;
    }
}

TEST(EvaluationComments, AnAnalysisAgainReplacesTheOldLinesAndKeepsThePlayersOwn) {
    const std::string first =
        withEvaluationLines("良い手\n【自分の印】", scored(120, 0, "▲２六歩(27)"), "疑問手");
    const std::string second = withEvaluationLines(first, scored(-40), "");
    EXPECT_EQ(second, "良い手\n【自分の印】\n#評価値=-40");
}

TEST(EvaluationComments, BrokenOnesStayPlainComments) {
    for (const char* comment :
         {"#評価値=abc", "#評価値=", "#評価値=12x", "#評価値=99999999999", "#詰み=誰か勝ち",
          "#詰み=先手勝ち:七手", "評価値=30", "*#評価値=30"}) {
        Evaluation read = scored(5);
        EXPECT_FALSE(readEvaluationComment(comment, read)) << comment;
        EXPECT_EQ(read.centipawns, 5) << comment;
        // Written again, such a line is the player's text and stays.
        EXPECT_EQ(withEvaluationLines(comment, scored(1), "").rfind(comment, 0), 0u) << comment;
    }
}

TEST(EvaluationComments, ARecordOpenedWithThemHasItsEvaluationsAndWritesThemOnce) {
    const std::string text =
        "手合割：平手\n"
        "手数----指手---------消費時間--\n"
        "*#評価値=30\n"
        "*#読み筋=▲７六歩(77)\n"
        "   1 ７六歩(77)\n"
        "*いい手\n"
        "*#評価値=-1x\n"
        "   2 ３四歩(33)\n"
        "*【悪手】\n"
        "*#詰み=先手勝ち:9手\n";
    RecordReading reading = readKifRecord(text);
    ASSERT_TRUE(reading.ok()) << reading.error;
    const RecordNode& root = reading.record.root();
    const RecordNode& first = *root.mainChild();
    const RecordNode& second = *first.mainChild();
    EXPECT_TRUE(root.evaluated);
    EXPECT_EQ(root.evaluation.centipawns, 30);
    EXPECT_EQ(root.evaluation.line, "▲７六歩(77)");
    EXPECT_FALSE(first.evaluated);
    EXPECT_EQ(first.comment, "いい手\n#評価値=-1x");
    EXPECT_TRUE(second.evaluated);
    EXPECT_EQ(second.evaluation.mateIn, 9);

    const std::string written = writeKifRecord(reading.record);
    RecordReading again = readKifRecord(written);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_EQ(again.record.root().mainChild()->mainChild()->comment,
              "【悪手】\n#詰み=先手勝ち:9手");
    EXPECT_EQ(written.find("#評価値=30"), written.rfind("#評価値=30"));
}

}  // namespace
}  // namespace ixo
