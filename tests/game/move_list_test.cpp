// The move list: what each row says, which row a click finds, and that the current move
// stays in view however long the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "game/move_list.h"
#include "match/match.h"
#include "record/kif_reader.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace {

constexpr Box kArea{600, 100, 194, 10 * MoveList::kRowHeight};

GameRecord read(const std::string& text) {
    RecordReading reading = readKifRecord(text);
    EXPECT_TRUE(reading.ok()) << reading.error;
    return std::move(reading.record);
}

// A bishop exchange: a capture on the square just moved to (同), a promotion and a drop, a
// variation at move 4, and a resignation.
const char* const kExchange =
    "手合割：平手\n"
    "   1 ７六歩(77)\n"
    "   2 ３四歩(33)\n"
    "   3 ２二角成(88)\n"
    "   4 同　銀(31)\n"
    "   5 ５五角打\n"
    "   6 投了\n"
    "\n変化：4手\n"
    "   4 同　飛(82)\n";

TEST(MoveList, RowsAreNumberedMovesInKifNotationWithoutTheirOrigin) {
    const GameRecord record = read(kExchange);
    MoveList list(kArea);
    list.follow(record, record.mainLineEnd());
    ASSERT_EQ(list.rowCount(), 7);
    EXPECT_EQ(list.rowText(0), "   開始局面");
    EXPECT_EQ(list.rowText(1), "   1 ▲７六歩");
    EXPECT_EQ(list.rowText(3), "   3 ▲２二角成");
    EXPECT_EQ(list.rowText(4), "   4 △同　銀");
    EXPECT_EQ(list.rowText(5), "   5 ▲５五角打");
    EXPECT_EQ(list.rowText(6), "   6 投了");
    EXPECT_EQ(list.currentRow(), 6);

    // On the variation the list follows its line, to its own end.
    const RecordNode& variation = *record.root().mainChild()->mainChild()->mainChild()->children[1];
    list.follow(record, variation);
    EXPECT_EQ(list.rowCount(), 5);
    EXPECT_EQ(list.rowText(4), "   4 △同　飛");
    EXPECT_EQ(list.currentRow(), 4);
}

TEST(MoveList, AClickFindsTheRowsNodeAndNothingOffTheRows) {
    const GameRecord record = read(kExchange);
    MoveList list(kArea);
    list.follow(record, record.root());
    const RecordNode* third = record.root().mainChild()->mainChild()->mainChild();
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 3 * MoveList::kRowHeight + 1), third);
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), &record.root());
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 8 * MoveList::kRowHeight), nullptr)
        << "below the last row";
    EXPECT_EQ(list.nodeAt(kArea.left - 1, kArea.top + 1), nullptr);
}

// A long game: the current move is in view at its end and at its start, the wheel scrolls no
// further than the rows go, and a click after scrolling finds the row it is on.
TEST(MoveList, TheCurrentMoveStaysInViewAndTheWheelStopsAtTheEnds) {
    // 120 moves of random legal play from a fixed seed, none of them ending the game.
    Match match(RuleSet::Standard);
    std::mt19937 random(5);
    std::vector<MoveRequest> moves;
    while (match.ply() < 120) {
        legalMoves(match.position(), moves);
        std::shuffle(moves.begin(), moves.end(), random);
        bool played = false;
        for (const MoveRequest& move : moves) {
            if (match.play(move) == Refusal::None) {
                if (!match.finished()) {
                    played = true;
                    break;
                }
                match.takeBack();
            }
        }
        ASSERT_TRUE(played) << "the random game ended at move " << match.ply();
    }
    const GameRecord& record = match.record();
    MoveList list(kArea);
    const RecordNode& end = record.mainLineEnd();
    list.follow(record, end);
    ASSERT_EQ(list.rowCount(), 121);
    EXPECT_GE(list.currentRow(), list.firstShown());
    EXPECT_LT(list.currentRow(), list.firstShown() + list.rowsShown());
    list.follow(record, record.root());
    EXPECT_EQ(list.firstShown(), 0);

    list.scrollBy(-5);
    EXPECT_EQ(list.firstShown(), 0);
    list.scrollBy(1000);
    EXPECT_EQ(list.firstShown(), 121 - list.rowsShown());
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), GameRecord::path(end)[110]);
    // A step keeps the place the wheel left while the current row is in view there.
    list.follow(record, *end.parent);
    EXPECT_EQ(list.firstShown(), 121 - list.rowsShown());
}

TEST(MoveList, AnEvaluatedMoveShowsItsLabel) {
    GameRecord record = read(kExchange);
    RecordNode& second = *record.root().mainChild()->mainChild();
    RecordNode& third = *second.mainChild();
    second.evaluated = third.evaluated = true;
    second.evaluation.centipawns = 300;
    second.evaluation.line = "▲２六歩(27)";  // not the move played: it may be labelled
    third.evaluation.centipawns = -2500;     // Blue's own move threw the game away
    MoveList list(kArea);
    list.follow(record, third);
    EXPECT_EQ(list.rowLabel(3), "大悪手");
    EXPECT_EQ(list.rowLabel(2), "");
}

// The mark and an ending's word follow the record as it is now: an ending judged again keeps
// its node, and so does a line that gains a variation beside it, so the same nodes in the same
// order must not keep the rows made before.
TEST(MoveList, RowsFollowChangesMadeInPlace) {
    GameRecord record = read(kExchange);
    MoveList list(kArea);
    const RecordNode& ending = record.mainLineEnd();
    list.follow(record, *ending.parent);
    EXPECT_TRUE(list.rowBranches(4)) << "同　銀 has 同　飛 beside it";
    EXPECT_FALSE(list.rowBranches(3));
    EXPECT_FALSE(list.rowBranches(2));

    // A player who resigned by mistake took it back, then ran out of time there.
    RecordNode& lastMove = *ending.parent;
    ASSERT_EQ(record.addEnd(lastMove, LineEnd::TimeUp, GameRecord::Placement::MainLine), &ending);
    list.follow(record, ending);
    EXPECT_EQ(list.rowText(6), "   6 切れ負け");

    // Another second move studied without leaving the line shown.
    RecordNode& first = *record.root().mainChild();
    Move eightFour = first.mainChild()->move;  // ３四歩 moved over to the 8th file: ８四歩
    eightFour.fromColumn = eightFour.toColumn = 1;
    record.addMove(first, eightFour, GameRecord::Placement::Variation);
    list.follow(record, ending);
    EXPECT_TRUE(list.rowBranches(2));
}

TEST(MoveList, AListOfOneRowShowsTheCurrentOne) {
    const GameRecord record = read(kExchange);
    MoveList list(Box{kArea.left, kArea.top, kArea.width, MoveList::kRowHeight});
    ASSERT_EQ(list.rowsShown(), 1);
    const RecordNode& third = *record.root().mainChild()->mainChild()->mainChild();
    list.follow(record, third);
    EXPECT_EQ(list.firstShown(), 3);
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), &third);
}

}  // namespace
}  // namespace ixo
