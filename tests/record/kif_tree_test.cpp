#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/replay.h"
#include "shogi/standard_position.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace {

constexpr const char* kHead =
    "#KIF version=2.0 encoding=UTF-8\n#ixo-shogi rules=standard\n開始日時：2026/12/08 "
    "10:00:00\n手合割：平手\n先手：A\n後手：B\n手数----指手---------消費時間--\n";

std::string usiOf(const RecordNode& node) {
    return usiMove(requestOf(node.move));
}

std::vector<std::string> mainLine(const GameRecord& record) {
    std::vector<std::string> moves;
    for (const RecordNode* node = record.root().mainChild(); node && !node->isEnd();
         node = node->mainChild()) {
        moves.push_back(usiOf(*node));
    }
    return moves;
}

RecordReading read(const std::string& text) {
    RecordReading reading = readKifRecord(text);
    EXPECT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    return reading;
}

// A study record as other programs write it: comments before the moves and after them, a
// bookmark, times, the ending with its time and the summary, and variations nested in
// variations, listed depth first.
const std::string kStudy = std::string(kHead) +
                           "*before the moves\n"
                           "&start\n"
                           "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
                           "*first comment\n"
                           "*second line\n"
                           "   2 ３四歩(33)   ( 0:03/00:00:03)+\n"
                           "&here\n"
                           "   3 ２六歩(27)   ( 0:10/00:00:15)\n"
                           "   4 投了         ( 0:20/00:00:23)\n"
                           "まで3手で先手の勝ち\n"
                           "\n変化：2手\n"
                           "   2 ８四歩(83)   ( 0:01/00:00:01)+\n"
                           "   3 ２六歩(27)   ( 0:02/00:00:07)+\n"
                           "*in the variation\n"
                           "*\n"
                           "\n変化：3手\n"
                           "   3 ６八銀(79)   ( 0:04/00:00:09)\n"
                           "\n変化：2手\n"
                           "   2 ４四歩(43)   ( 0:02/00:00:02)\n";

TEST(KifTree, AStudyRecordKeepsItsCommentsBookmarksTimesAndVariationsWhereTheyStood) {
    const RecordReading reading = read(kStudy);
    const GameRecord& record = reading.record;
    EXPECT_EQ(record.handicap, "平手");
    EXPECT_EQ(record.root().comment, "before the moves");
    EXPECT_EQ(record.root().bookmark, "start");
    EXPECT_EQ(mainLine(record), (std::vector<std::string>{"7g7f", "3c3d", "2g2f"}));
    EXPECT_EQ(record.variationCount(), 3u);

    const RecordNode& first = *record.root().mainChild();
    EXPECT_EQ(first.comment, "first comment\nsecond line");
    ASSERT_EQ(first.children.size(), 3u);
    EXPECT_EQ(first.children[0]->bookmark, "here");
    const RecordNode& study = *first.children[1];
    EXPECT_EQ(usiOf(study), "8c8d");
    ASSERT_EQ(study.children.size(), 2u);
    // Its last line is empty, and stays a line of it.
    EXPECT_EQ(study.children[0]->comment, "in the variation\n");
    EXPECT_EQ(usiOf(*study.children[1]), "7i6h");
    EXPECT_EQ(usiOf(*first.children[2]), "4c4d");

    const RecordNode& end = record.mainLineEnd();
    EXPECT_EQ(end.end, LineEnd::Resignation);
    EXPECT_TRUE(end.timed);
    EXPECT_EQ(end.time.usedMs, 20000);
    EXPECT_EQ(end.time.totalMs, 23000);
    EXPECT_TRUE(reading.warnings.empty());

    // Written again, it is the same text: every comment, mark and block where it was.
    EXPECT_EQ(writeKifRecord(record), kStudy);
}

// A carriage return inside a bookmark line is no line end here, but other readers take it for
// one; kept as a space from the start, the bookmark reads back as it was read.
TEST(KifTree, ABookmarkWithACarriageReturnInsideReadsBackAsItWasRead) {
    const RecordReading first = read(std::string(kHead) + "&Main\ridea\n   1 ７六歩(77)\n");
    ASSERT_EQ(first.record.root().bookmark, "Main idea");
    const RecordReading again = read(writeKifRecord(first.record));
    EXPECT_EQ(again.record.root().bookmark, first.record.root().bookmark);
}

TEST(KifTree, ASealedMoveIsAMoveThatWasSealedAndIsWrittenBackBeforeIt) {
    const std::string text = std::string(kHead) +
                             "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
                             "   2 封じ手\n"
                             "   2 ３四歩(33)   ( 0:03/00:00:03)\n"
                             "   3 ２六歩(27)   ( 0:01/00:00:06)\n";
    const RecordReading reading = read(text);
    EXPECT_EQ(mainLine(reading.record), (std::vector<std::string>{"7g7f", "3c3d", "2g2f"}));
    const RecordNode& sealed = *reading.record.root().mainChild()->mainChild();
    EXPECT_TRUE(sealed.sealed);
    EXPECT_FALSE(sealed.isEnd());
    EXPECT_FALSE(sealed.mainChild()->sealed);
    EXPECT_EQ(writeKifRecord(reading.record), text);

    // A game adjourned overnight ends with the seal alone; the comment after it is its own.
    const std::string adjourned = std::string(kHead) +
                                  "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
                                  "   2 封じ手       ( 0:30/00:00:30)\n"
                                  "*to be opened tomorrow\n";
    const RecordReading waiting = read(adjourned);
    const RecordNode& envelope = waiting.record.mainLineEnd();
    EXPECT_TRUE(envelope.isEnd());
    EXPECT_TRUE(envelope.sealed);
    EXPECT_EQ(envelope.end, LineEnd::Interrupted);
    EXPECT_EQ(envelope.comment, "to be opened tomorrow");
    EXPECT_EQ(writeKifRecord(waiting.record), adjourned);
}

// Blue has pawns on 2五 and 2七, as a composer may set up; kings on both sides.
std::string doubledPawns(const std::string& moves) {
    return "後手の持駒：なし\n"
           "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
           "+---------------------------+\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・v玉|一\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n"
           "| ・ ・ ・ ・ ・ ・ ・ 歩 ・|五\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
           "| ・ ・ ・ ・ ・ ・ ・ 歩 ・|七\n"
           "| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n"
           "| 玉 ・ ・ ・ ・ ・ ・ ・ ・|九\n"
           "+---------------------------+\n"
           "先手の持駒：歩\n"
           "手数----指手---------消費時間--\n" +
           moves;
}

TEST(KifTree, AComposedDiagramWithTwoPawnsOnAFileOpensWithAWarningAndDropsStillObeyTheRule) {
    const RecordReading reading = read(doubledPawns("   1 ２四歩(25)\n"));
    ASSERT_EQ(reading.warnings.size(), 1u);
    EXPECT_EQ(reading.warnings[0].rfind("4: ", 0), 0u) << reading.warnings[0];
    EXPECT_NE(reading.warnings[0].find("two pawns on file 2"), std::string::npos);
    EXPECT_EQ(mainLine(reading.record), (std::vector<std::string>{"2e2d"}));
    EXPECT_TRUE(reading.record.handicap.empty());
    // An engine is never handed such a position: its own check stays strict.
    std::string error;
    EXPECT_FALSE(validatePosition(reading.record.start, error));

    const RecordReading dropped = readKifRecord(doubledPawns("   1 ２三歩打\n"));
    EXPECT_FALSE(dropped.ok());
    EXPECT_EQ(dropped.errorLine, 16);
    EXPECT_NE(dropped.error.find("二歩"), std::string::npos) << dropped.error;

    // What no game can be played from is still refused: a second king for Blue.
    std::string twoKings = doubledPawns("");
    twoKings.replace(twoKings.find("| ・ ・ ・ ・ ・ ・ ・ ・ ・|八"),
                     std::string("| ・ ・ ・ ・ ・ ・ ・ ・ ・|八").size(),
                     "| ・ ・ ・ ・ ・ ・ ・ ・ 玉|八");
    const RecordReading refused = readKifRecord(twoKings);
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.error.find("more than one king"), std::string::npos) << refused.error;
}

TEST(KifTree, AVariationTheRulesRefuseIsLeftOutByItsLineAndTheRestOpens) {
    const std::string text = std::string(kHead) +
                             "   1 ７六歩(77)\n"
                             "   2 ３四歩(33)\n"
                             "   3 ２六歩(27)\n"
                             "\n変化：2手\n"
                             "   2 ８四歩(83)\n"
                             "   3 ７七角成(22)\n"
                             "   4 ３四歩(33)\n"
                             "*lost with its variation\n"
                             "\n変化：2手\n"
                             "   2 ４四歩(43)\n";
    const RecordReading reading = read(text);
    EXPECT_EQ(mainLine(reading.record), (std::vector<std::string>{"7g7f", "3c3d", "2g2f"}));
    ASSERT_EQ(reading.warnings.size(), 1u);
    // Line 14 is the bishop's move; Blue has none on 2二.
    EXPECT_EQ(reading.warnings[0].rfind("14: move 3 ７七角成(22)", 0), 0u) << reading.warnings[0];
    const RecordNode& first = *reading.record.root().mainChild();
    ASSERT_EQ(first.children.size(), 2u);
    EXPECT_EQ(usiOf(*first.children[1]), "4c4d");
    EXPECT_EQ(reading.record.nodeCount(), 5u);
}

TEST(KifTree, AVariationThatEndsAnEndedLineAnotherWayIsLeftOut) {
    const std::string text = std::string(kHead) +
                             "   1 ７六歩(77)\n"
                             "   2 封じ手\n"
                             "\n変化：2手\n"
                             "   2 投了\n"
                             "\n変化：2手\n"
                             "   2 ３四歩(33)\n";
    const RecordReading reading = read(text);
    ASSERT_EQ(reading.warnings.size(), 1u);
    EXPECT_EQ(reading.warnings[0].rfind("12: a second ending", 0), 0u) << reading.warnings[0];
    const RecordNode& first = *reading.record.root().mainChild();
    ASSERT_EQ(first.children.size(), 2u);
    EXPECT_TRUE(first.children[0]->sealed);
    EXPECT_EQ(first.children[0]->end, LineEnd::Interrupted);
    EXPECT_EQ(usiOf(*first.children[1]), "3c3d");
    EXPECT_EQ(readKifRecord(writeKifRecord(reading.record)).record.nodeCount(), 4u);
}

TEST(KifTree, EverySpecialLineEndsItsLineWithItsTimeAndIsWrittenBack) {
    const struct {
        const char* word;
        LineEnd end;
        const char* written;
    } cases[] = {
        {"中断", LineEnd::Interrupted, "中断"},      {"持将棋", LineEnd::Impasse, "持将棋"},
        {"千日手", LineEnd::Repetition, "千日手"},   {"詰み", LineEnd::Checkmate, "詰み"},
        {"投了", LineEnd::Resignation, "投了"},      {"切れ負け", LineEnd::TimeUp, "切れ負け"},
        {"時間切れ", LineEnd::TimeUp, "切れ負け"},   {"反則勝ち", LineEnd::FoulWin, "反則勝ち"},
        {"反則負け", LineEnd::FoulLoss, "反則負け"}, {"入玉勝ち", LineEnd::ImpasseWin, "入玉勝ち"},
        {"不戦勝", LineEnd::WinByDefault, "不戦勝"}, {"不戦敗", LineEnd::LossByDefault, "不戦敗"},
        {"不詰", LineEnd::NoMate, "不詰"},
    };
    for (const auto& each : cases) {
        const RecordReading reading =
            read(std::string(kHead) + "   1 ７六歩(77)   ( 0:01/00:00:01)\n   2 " + each.word +
                 "   ( 1:07/00:01:07)\n");
        const RecordNode& end = reading.record.mainLineEnd();
        EXPECT_EQ(end.end, each.end) << each.word;
        EXPECT_EQ(end.ply, 2) << each.word;
        EXPECT_TRUE(end.timed) << each.word;
        EXPECT_EQ(end.time.usedMs, 67000) << each.word;
        const std::string written = writeKifRecord(reading.record);
        EXPECT_NE(written.find(std::string("   2 ") + each.written), std::string::npos) << written;
        EXPECT_NE(written.find("( 1:07/00:01:07)"), std::string::npos) << written;
        const RecordReading again = read(written);
        EXPECT_EQ(again.record.mainLineEnd().end, each.end) << each.word;
    }
}

TEST(KifTree, ALineTakenBackStaysAsAVariationOfTheMoveThatReplacedIt) {
    GameRecord record;
    record.rules = RuleSet::Standard;
    setRecordHeader(record, "開始日時", "2026/12/08 10:00:00");
    RecordNode* at = &record.root();
    for (const char* move : {"7g7f", "3c3d", "2g2f"}) {
        Position position = positionAt(record, *at);
        Move made;
        ASSERT_TRUE(playStandardMove(position, usi(move), &made));
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
    }
    at = at->parent->parent;
    Position position = positionAt(record, *at);
    Move made;
    ASSERT_TRUE(playStandardMove(position, usi("8c8d"), &made));
    record.addMove(*at, made, GameRecord::Placement::MainLine);

    const RecordReading reading = read(writeKifRecord(record));
    EXPECT_EQ(mainLine(reading.record), (std::vector<std::string>{"7g7f", "8c8d"}));
    const RecordNode& first = *reading.record.root().mainChild();
    ASSERT_EQ(first.children.size(), 2u);
    EXPECT_EQ(usiOf(*first.children[1]), "3c3d");
    ASSERT_NE(first.children[1]->mainChild(), nullptr);
    EXPECT_EQ(usiOf(*first.children[1]->mainChild()), "2g2f");
}

TEST(KifTree, VariationsPastTheLimitAreLeftOutWithOneWarning) {
    std::string text = std::string(kHead) + "   1 ７六歩(77)\n";
    for (int block = 1; block < kKifMaxVariations; ++block) {
        text += "変化：1手\n   1 ２六歩(27)\n";
    }
    text += "変化：1手\n   1 ４六歩(47)\n";
    text += "変化：1手\n   1 ５六歩(57)\n";
    const RecordReading reading = read(text);
    ASSERT_EQ(reading.warnings.size(), 1u);
    EXPECT_NE(reading.warnings[0].find("variations"), std::string::npos);
    std::vector<std::string> first;
    for (const auto& child : reading.record.root().children) {
        first.push_back(usiOf(*child));
    }
    EXPECT_EQ(first, (std::vector<std::string>{"7g7f", "2g2f", "4g4f"}));
}

TEST(KifTree, ThePositionAtANodeIsThePositionThatPlayingTheWayThereGives) {
    std::mt19937 random(24);
    GameRecord record;
    record.rules = RuleSet::Standard;
    Position played = record.start;
    RecordNode* at = &record.root();
    std::vector<MoveRequest> moves;
    for (int ply = 0; ply < 160; ++ply) {
        legalMoves(played, moves);
        if (moves.empty()) {
            break;
        }
        Move made;
        ASSERT_TRUE(playStandardMove(played, moves[random() % moves.size()], &made));
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
        ASSERT_EQ(positionAt(record, *at), played) << "ply " << ply + 1;
    }
}

TEST(KifTree, APlayersNameTakesThePlaceOfThatSidesLineAndNothingElse) {
    GameRecord record;
    record.headers = {{"下手", "Hana"}, {"上手", "Taro"}, {"棋戦", "club"}};
    setPlayerName(record, 0, "engine\nname");
    setPlayerName(record, 1, "");
    setRecordHeader(record, "開始日時", "2026/12/08 10:00:00");
    EXPECT_EQ(record.headers, (std::vector<RecordHeader>{{"下手", "engine name"},
                                                         {"上手", "Taro"},
                                                         {"棋戦", "club"},
                                                         {"開始日時", "2026/12/08 10:00:00"}}));
    GameRecord plain;
    setPlayerName(plain, 1, "Red");
    EXPECT_EQ(plain.headers, (std::vector<RecordHeader>{{"後手", "Red"}}));
}

}  // namespace
}  // namespace ixo
