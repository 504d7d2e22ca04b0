#include <gtest/gtest.h>

#include <climits>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

TEST(MoveMap, CountsMarksAndNeverReadsAcrossARowEnd) {
    MoveMap map;
    map.marks.fill(1);
    EXPECT_EQ(map.count(), 81);
    map.clear();
    EXPECT_EQ(map.count(), 0);
    map.marks[9] = 1;  // column 0 of row 1
    EXPECT_TRUE(map.isMarked(0, 1));
    EXPECT_FALSE(map.isMarked(9, 0));
    EXPECT_FALSE(map.isMarked(-1, 2));
    EXPECT_FALSE(map.isMarked(0, 9));
}

TEST(MoveMap, SquareRuleMarksEmptyAndOpponentSquaresButOnlyEmptyOnesLetASlideGoOn) {
    Board board = emptyBoard();
    board.place(2, 2, Gold, 1);
    board.place(3, 3, Gold, 0);
    MoveMap map;
    EXPECT_TRUE(map.tryStep(board, 1, 1));
    EXPECT_FALSE(map.tryStep(board, 2, 2));
    map.marks[3 * 9 + 3] = 1;  // an earlier mark on the own piece's square stays
    EXPECT_FALSE(map.tryStep(board, 3, 3));
    EXPECT_FALSE(map.tryStep(board, -1, 0));
    EXPECT_FALSE(map.tryStep(board, 0, 9));
    EXPECT_EQ(map.count(), 3);
    EXPECT_TRUE(map.isMarked(1, 1) && map.isMarked(2, 2) && map.isMarked(3, 3));
}

using Ray = void (MoveMap::*)(const Board&, int, int);
using Step = bool (MoveMap::*)(const Board&, int, int);

TEST(MoveMap, EachNamedRayAndStepGoesItsOwnWayAndSkipsItsOwnSquare) {
    const struct {
        Ray ray;
        Step step;  // only the diagonals have one
        int columnStep, rowStep;
    } directions[] = {
        {&MoveMap::rayUp, nullptr, 0, -1},
        {&MoveMap::rayUpRight, &MoveMap::stepUpRight, 1, -1},
        {&MoveMap::rayRight, nullptr, 1, 0},
        {&MoveMap::rayDownRight, &MoveMap::stepDownRight, 1, 1},
        {&MoveMap::rayDown, nullptr, 0, 1},
        {&MoveMap::rayDownLeft, &MoveMap::stepDownLeft, -1, 1},
        {&MoveMap::rayLeft, nullptr, -1, 0},
        {&MoveMap::rayUpLeft, &MoveMap::stepUpLeft, -1, -1},
    };
    Board board = emptyBoard();
    board.place(4, 4, King, 0);  // the square the moves start from: never judged
    for (const auto& d : directions) {
        MoveMap map;
        (map.*d.ray)(board, 4, 4);
        EXPECT_EQ(map.count(), 4);
        for (int k = 1; k <= 4; ++k) {
            EXPECT_TRUE(map.isMarked(4 + k * d.columnStep, 4 + k * d.rowStep));
        }
        if (d.step != nullptr) {
            MoveMap stepMap;
            EXPECT_TRUE((stepMap.*d.step)(board, 4, 4));
            EXPECT_EQ(stepMap.count(), 1);
            EXPECT_TRUE(stepMap.isMarked(4 + d.columnStep, 4 + d.rowStep));
        }
    }
}

TEST(MoveMap, RaysStopAtTheFirstObstacleCapturingOnlyAnOpponent) {
    Board board = emptyBoard();
    board.place(4, 2, Pawn, 1);
    board.place(6, 4, Pawn, 0);
    MoveMap map;
    map.rayUp(board, 4, 4);
    map.rayRight(board, 4, 4);
    EXPECT_EQ(map.count(), 3);
    EXPECT_TRUE(map.isMarked(4, 3) && map.isMarked(4, 2) && map.isMarked(5, 4));

    MoveMap edge;
    edge.rayRight(board, 8, 0);
    EXPECT_FALSE(edge.stepUpRight(board, 8, 5));
    EXPECT_FALSE(edge.stepUpRight(board, 3, 0));
    EXPECT_EQ(edge.count(), 0);
}

TEST(MoveMap, MovesFromOffTheBoardAreComputedFromTheSquareWithoutOverflow) {
    const Board board = emptyBoard();
    MoveMap map;
    map.rayRight(board, -1, 3);
    EXPECT_EQ(map.count(), 9);
    map.clear();
    map.rayUpLeft(board, INT_MIN, INT_MIN);
    map.rayDownRight(board, INT_MAX, INT_MAX);
    map.ray(board, 0, 0, INT_MAX, INT_MIN);
    map.ray(board, 4, 4, 0, 0);
    EXPECT_FALSE(map.stepDownRight(board, INT_MAX, INT_MAX));
    EXPECT_FALSE(map.stepUpLeft(board, INT_MIN, INT_MIN));
    EXPECT_EQ(map.count(), 0);
}

}  // namespace
}  // namespace ixo
