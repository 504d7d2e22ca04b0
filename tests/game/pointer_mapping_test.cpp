#include <climits>

#include "scene_test_support.h"

namespace ixo::test {
namespace {

TEST(SquareAt, GivesAnOffBoardSquareForEveryPixelBesideTheBoard) {
    // Truncating division would fold the background left of and above the board into column
    // and row 0.
    const int xs[] = {5, 30, 63, 64, 567, 568};
    const int columns[] = {-2, -1, -1, 0, 8, 9};
    const int ys[] = {5, 30, 47, 48, 551, 552};
    const int rows[] = {-1, -1, -1, 0, 8, 9};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(squareAt(xs[i], 300).column, columns[i]) << "x " << xs[i];
        EXPECT_EQ(squareAt(300, ys[i]).row, rows[i]) << "y " << ys[i];
    }
    EXPECT_LT(squareAt(INT_MIN, INT_MIN).row, 0);  // no overflow at the ends of the range
    EXPECT_GT(mirrorRow(squareAt(INT_MIN, INT_MIN)).row, 8);
    EXPECT_GT(squareAt(INT_MAX, INT_MAX).column, 8);
}

TEST_F(SceneTest, PixelsBesideTheBoardNeitherSelectNorMove) {
    GameScene scene(nullptr);
    // The square selected by a left release at the pixel, cancelled again afterwards.
    auto selectedAt = [&](int x, int y) {
        releaseAt(scene, x, y, kLeftButton);
        const Cell selected = scene.selected;
        releaseAt(scene, x, y, kRightButton);
        return selected.piece == -1 ? Square{-1, -1} : Square{selected.column, selected.row};
    };
    const int pawnRow = squareTop(6) + 28;
    for (int x : {5, 30, 63, 568}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(selectedAt(x, pawnRow).column, -1);
    }
    EXPECT_EQ(selectedAt(64, pawnRow).column, 0);
    EXPECT_EQ(selectedAt(567, pawnRow).column, 8);
    EXPECT_EQ(selectedAt(squareLeft(4), 551).row, 8);  // Blue's king
    EXPECT_EQ(selectedAt(squareLeft(4), 552).row, -1);

    // On Red's turn the strip above the board must stay off the board after the flip, where
    // row 0 would become Red's own back rank with its king.
    ASSERT_TRUE(reliability::setUpPosition(scene, scene.board(), 1));
    for (int y : {5, 20, 47}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(selectedAt(squareLeft(4), y).row, -1);
    }
    EXPECT_EQ(selectedAt(squareLeft(4), 48).row, 8);
}

}  // namespace
}  // namespace ixo::test
