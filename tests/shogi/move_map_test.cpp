#include <gtest/gtest.h>

#include <climits>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

TEST(MoveMap, IsMarkedNeverReadsAcrossARowEndOrOffTheBoard) {
    MoveMap map;
    map.marks[9] = 1;  // column 0 of row 1
    EXPECT_TRUE(map.isMarked(0, 1));
    EXPECT_FALSE(map.isMarked(9, 0));
    EXPECT_FALSE(map.isMarked(-1, 2));
    EXPECT_EQ(map.count(), 1);
}

TEST(MoveMap, SquareRuleMarksEmptyAndOpponentSquaresAndOnlyEmptyOnesLetASlideGoOn) {
    Board board = emptyBoard();
    board.place(4, 2, Gold, 1);
    board.place(6, 4, Gold, 0);
    MoveMap map;
    EXPECT_TRUE(map.tryStep(board, 1, 1));
    EXPECT_FALSE(map.tryStep(board, 4, 2));
    map.marks[4 * 9 + 6] = 1;  // a mark from an earlier primitive on the own piece stays
    EXPECT_FALSE(map.tryStep(board, 6, 4));
    EXPECT_FALSE(map.tryStep(board, -1, 0));
    map.rayUp(board, 4, 4);     // stops on the opponent two squares up
    map.rayRight(board, 4, 4);  // stops short of the own piece two squares right
    map.rayRight(board, 8, 0);
    EXPECT_EQ(map.count(), 5);
    EXPECT_TRUE(map.isMarked(4, 3) && map.isMarked(5, 4) && map.isMarked(6, 4));
}

TEST(MoveMap, EachNamedRayAndStepGoesItsOwnWayAndSkipsItsOwnSquare) {
    using Ray = void (MoveMap::*)(const Board&, int, int);
    using Step = bool (MoveMap::*)(const Board&, int, int);
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
    board.place(4, 4, King, 1);
    for (const auto& d : directions) {
        MoveMap map;
        (map.*d.ray)(board, 4, 4);
        EXPECT_EQ(map.count(), 4);
        EXPECT_TRUE(map.isMarked(4 + 4 * d.columnStep, 4 + 4 * d.rowStep));
        if (d.step != nullptr) {
            MoveMap step;
            EXPECT_TRUE((step.*d.step)(board, 4, 4));
            EXPECT_TRUE(step.isMarked(4 + d.columnStep, 4 + d.rowStep) && step.count() == 1);
        }
    }
}

TEST(MoveMap, MovesFromOffTheBoardAreComputedFromTheirSquareWithoutOverflow) {
    const Board board = emptyBoard();
    MoveMap map;
    map.rayRight(board, -1, 3);
    EXPECT_EQ(map.count(), 9);
    map.clear();
    map.rayDownRight(board, INT_MAX, INT_MAX);
    map.ray(board, 0, 0, INT_MAX, INT_MIN);
    map.ray(board, 4, 4, 0, 0);
    EXPECT_FALSE(map.stepUpLeft(board, INT_MIN, INT_MIN));
    EXPECT_FALSE(map.stepUpRight(board, 8, 4));
    EXPECT_EQ(map.count(), 0);
}

}  // namespace
}  // namespace ixo
