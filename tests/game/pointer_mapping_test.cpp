#include <climits>

#include "scene_test_support.h"

namespace ixo::test {
namespace {

TEST(SquareAt, GivesAnOffBoardSquareForEveryPixelBesideTheBoard) {
    struct Case {
        int pixel;
        int square;
    };
    // The background left of and above the board must not fold into column or row 0.
    for (const Case& c : {Case{5, -2}, Case{30, -1}, Case{63, -1}, Case{64, 0}, Case{119, 0},
                          Case{120, 1}, Case{567, 8}, Case{568, 9}, Case{799, 13}}) {
        SCOPED_TRACE(c.pixel);
        EXPECT_EQ(squareAt(c.pixel, 300).column, c.square);
    }
    for (const Case& c : {Case{5, -1}, Case{20, -1}, Case{47, -1}, Case{48, 0}, Case{103, 0},
                          Case{104, 1}, Case{551, 8}, Case{552, 9}}) {
        SCOPED_TRACE(c.pixel);
        EXPECT_EQ(squareAt(300, c.pixel).row, c.square);
    }
}

TEST(SquareAt, SurvivesTheExtremesOfThePointerRange) {
    EXPECT_LT(squareAt(INT_MIN, INT_MIN).column, 0);
    EXPECT_LT(mirrorRow(squareAt(INT_MIN, INT_MIN)).row, INT_MAX);
    EXPECT_GT(squareAt(INT_MAX, INT_MAX).row, 8);
    EXPECT_GT(mirrorRow(squareAt(INT_MAX, INT_MAX)).row, INT_MIN);
}

// Blue kings in two corners, so the squares next to every edge of the board hold a piece
// that a stray click could select.
class PointerBesideTheBoard : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        for (Cell& cell : scene_.board.cells) {
            cell.piece = Empty;
            cell.owner = 0;
        }
        scene_.board.place(0, 0, King, 0);
        scene_.board.place(8, 8, King, 0);
    }

    // Which square a left release at the pixel selected, cancelling it again afterwards.
    Square selectionAt(int x, int y) {
        releaseAt(scene_, x, y, kLeftButton);
        const Square square{scene_.selected.piece == -1 ? -1 : scene_.selected.column,
                            scene_.selected.piece == -1 ? -1 : scene_.selected.row};
        releaseAt(scene_, x, y, kRightButton);
        return square;
    }

    GameScene scene_{nullptr};
};

TEST_F(PointerBesideTheBoard, OnlyPixelsOnTheBoardSelect) {
    const int row0 = squareTop(0) + 20;
    const int row8 = squareTop(8) + 20;
    const int column0 = squareLeft(0) + 20;
    const int column8 = squareLeft(8) + 20;
    for (int x : {5, 30, 63}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(selectionAt(x, row0).column, -1);
    }
    EXPECT_EQ(selectionAt(64, row0).column, 0);
    EXPECT_EQ(selectionAt(567, row8).column, 8);
    EXPECT_EQ(selectionAt(568, row8).column, -1);
    for (int y : {5, 30, 47}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(selectionAt(column0, y).row, -1);
    }
    EXPECT_EQ(selectionAt(column0, 48).row, 0);
    EXPECT_EQ(selectionAt(column8, 551).row, 8);
    EXPECT_EQ(selectionAt(column8, 552).row, -1);
}

TEST_F(PointerBesideTheBoard, AClickBesideTheBoardNeverMovesTheSelectedPiece) {
    leftClick(scene_, 0, 0);
    ASSERT_TRUE(scene_.moveMap.isMarked(0, 1));
    ASSERT_TRUE(scene_.moveMap.isMarked(1, 0));
    const Board before = scene_.board;
    // Left of the lit square (0, 1) and above the lit square (1, 0).
    releaseAt(scene_, 30, squareTop(1) + 20, kLeftButton);
    releaseAt(scene_, squareLeft(1) + 20, 20, kLeftButton);
    EXPECT_EQ(scene_.board, before);
    EXPECT_EQ(scene_.turn, 0);
    EXPECT_EQ(scene_.selected.piece, King);
}

TEST_F(PointerBesideTheBoard, ForRedTheStripAboveTheBoardStaysOffBoardAfterTheFlip) {
    scene_.board.place(4, 0, King, 1);
    scene_.turn = 1;
    EXPECT_EQ(selectionAt(squareLeft(4) + 20, 30).row, -1);
    // Red's king on screen row 0 is its own back rank.
    EXPECT_EQ(selectionAt(squareLeft(4) + 20, 48).row, 8);
}

}  // namespace
}  // namespace ixo::test
