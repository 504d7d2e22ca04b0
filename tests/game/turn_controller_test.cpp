#include <string>

#include "scene_test_support.h"

namespace ixo::test {
namespace {

// The parts of the scene that a frame may change, to show that a frame changed nothing.
struct Snapshot {
    Board board;
    MoveMap moveMap;
    int turn;
    Cell selected;
    std::string portraitPath;

    explicit Snapshot(const GameScene& scene)
        : board(scene.board),
          moveMap(scene.moveMap),
          turn(scene.turn),
          selected(scene.selected),
          portraitPath(scene.portrait.path()) {}

    void expectUnchanged(const GameScene& scene) const {
        EXPECT_EQ(scene.board, board);
        EXPECT_EQ(scene.moveMap, moveMap);
        EXPECT_EQ(scene.turn, turn);
        EXPECT_EQ(scene.selected.piece, selected.piece);
        if (selected.piece != -1) {
            EXPECT_EQ(scene.selected, selected);
        }
        EXPECT_EQ(scene.portrait.path(), portraitPath);
    }
};

// Each case runs once for either side. Rows are named as the side to move sees them: its own
// back rank is row 8 and the far rank row 0, which on Red's turn is the screen upside down.
class TurnControllerForEachSide : public SceneTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.turn = GetParam();
    }

    bool redToMove() const { return GetParam() != 0; }
    int screenRow(int ownRow) const { return redToMove() ? 8 - ownRow : ownRow; }
    int moverOwner() const { return redToMove() ? 1 : 0; }
    std::string portraitPath(int code) const {
        return "../image/team/sample/" + std::string(redToMove() ? "2pcg" : "1pcg") + "/" +
               (code < 10 ? "0" : "") + std::to_string(code) + ".png";
    }
    void clickOwn(int column, int ownRow) { leftClick(scene_, column, screenRow(ownRow)); }

    GameScene scene_{nullptr};
};

INSTANTIATE_TEST_SUITE_P(BothSides, TurnControllerForEachSide, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "Blue" : "Red");
                         });

TEST_P(TurnControllerForEachSide, LeftReleaseOnAMovablePieceSelectsItInTheMoversFrame) {
    const Board before = scene_.board;
    clickOwn(4, 6);

    // Red's pawn on screen row 2 is recorded in the flipped frame: row 6, owner 0.
    EXPECT_EQ(scene_.selected, (Cell{Pawn, 0, 4, 6}));
    EXPECT_EQ(scene_.moveMap.count(), 1);
    EXPECT_TRUE(scene_.moveMap.isMarked(4, 5));
    EXPECT_EQ(scene_.portrait.path(), portraitPath(1));
    EXPECT_EQ(scene_.board, before);
    EXPECT_EQ(scene_.turn, GetParam());
}

TEST_P(TurnControllerForEachSide, ClicksThatCannotSelectChangeNothing) {
    const Snapshot before(scene_);
    const int bishopColumn = redToMove() ? 7 : 1;
    SCOPED_TRACE("pieces whose every destination holds a piece of their own");
    clickOwn(bishopColumn, 7);
    clickOwn(1, 8);
    clickOwn(7, 8);
    SCOPED_TRACE("opponent's piece, empty square, right button");
    clickOwn(4, 2);
    clickOwn(4, 4);
    rightClick(scene_, 4, screenRow(6));
    SCOPED_TRACE("held without a release");
    frame(scene_, squareLeft(4) + 5, squareTop(screenRow(6)) + 5, kLeftButton);
    frame(scene_, squareLeft(4) + 5, squareTop(screenRow(6)) + 5, kLeftButton);
    before.expectUnchanged(scene_);
    EXPECT_EQ(scene_.portrait.width(), 0);
}

TEST_P(TurnControllerForEachSide, BothButtonsReleasedTogetherSelectWhenNothingIsSelected) {
    releaseAt(scene_, squareLeft(4) + 1, squareTop(screenRow(6)) + 1, kLeftButton | kRightButton);
    EXPECT_EQ(scene_.selected.piece, Pawn);
}

TEST_P(TurnControllerForEachSide, RightReleaseCancelsTheSelectionAndNothingElse) {
    for (Uint8 buttons : {kRightButton, static_cast<Uint8>(kLeftButton | kRightButton)}) {
        SCOPED_TRACE(buttons);
        clickOwn(4, 6);
        ASSERT_EQ(scene_.selected.piece, Pawn);
        const Board board = scene_.board;
        // Over the highlighted square, where a left release alone would move.
        releaseAt(scene_, squareLeft(4) + 10, squareTop(screenRow(5)) + 10, buttons);
        EXPECT_EQ(scene_.selected.piece, -1);
        EXPECT_EQ(scene_.moveMap.count(), 0);
        EXPECT_EQ(scene_.board, board);
        EXPECT_EQ(scene_.turn, GetParam());
        // The picture stays loaded; the drawing just stops showing it.
        EXPECT_EQ(scene_.portrait.path(), portraitPath(1));
    }
}

TEST_P(TurnControllerForEachSide, WithAPieceSelectedOtherLeftReleasesKeepTheSelection) {
    clickOwn(4, 6);
    const Snapshot before(scene_);
    SCOPED_TRACE("another own piece that could move, the selected piece itself");
    clickOwn(3, 6);
    clickOwn(4, 6);
    SCOPED_TRACE("an empty square that is not lit, an opponent's piece out of reach");
    clickOwn(4, 4);
    clickOwn(3, 3);
    clickOwn(4, 2);
    SCOPED_TRACE("beside the board");
    releaseAt(scene_, 568, squareTop(screenRow(5)) + 10, kLeftButton);
    releaseAt(scene_, 700, squareTop(screenRow(5)) + 10, kLeftButton);
    releaseAt(scene_, squareLeft(4) + 10, 580, kLeftButton);
    before.expectUnchanged(scene_);
}

TEST_P(TurnControllerForEachSide, LeftReleaseOnALitSquareMovesAndPassesTheTurn) {
    clickOwn(4, 6);
    clickOwn(4, 5);

    EXPECT_EQ(scene_.board.cellAt(4, screenRow(5)),
              (Cell{Pawn, static_cast<std::int8_t>(moverOwner()), 4, screenRow(5)}));
    EXPECT_EQ(scene_.board.cellAt(4, screenRow(6)), (Cell{Empty, 0, 4, screenRow(6)}));
    EXPECT_EQ(scene_.selected.piece, -1);
    EXPECT_EQ(scene_.moveMap.count(), 0);
    EXPECT_EQ(scene_.turn, redToMove() ? 0 : 1);
    EXPECT_EQ(pieceCount(scene_.board), 40);

    // The release that moved is spent: the other side sees no click in the next frame.
    const Snapshot after(scene_);
    frame(scene_, squareLeft(4) + 28, squareTop(screenRow(5)) + 28, 0);
    after.expectUnchanged(scene_);
}

TEST_P(TurnControllerForEachSide, APawnCapturingIntoTheFarRowsIsPromotedAndKeepsItsOwner) {
    scene_.board.place(0, screenRow(3), Pawn, moverOwner());
    const int piecesBefore = pieceCount(scene_.board);

    clickOwn(0, 3);
    ASSERT_TRUE(scene_.moveMap.isMarked(0, 2));
    clickOwn(0, 2);

    EXPECT_EQ(scene_.board.cellAt(0, screenRow(2)),
              (Cell{PromotedPawn, static_cast<std::int8_t>(moverOwner()), 0, screenRow(2)}));
    EXPECT_EQ(scene_.board.cellAt(0, screenRow(3)), (Cell{Empty, 0, 0, screenRow(3)}));
    EXPECT_EQ(pieceCount(scene_.board), piecesBefore - 1);
}

TEST_P(TurnControllerForEachSide, SelectingAPromotedPieceLoadsThePortraitOfItsOwnCode) {
    scene_.board.place(4, 4, PromotedRook, moverOwner());
    clickOwn(4, 4);
    EXPECT_EQ(scene_.selected.piece, PromotedRook);
    EXPECT_EQ(scene_.portrait.path(), portraitPath(PromotedRook));
}

// The side to move alternates only on completed moves, over a short game.
TEST_F(SceneTest, TurnPassesOnlyWhenAMoveIsCompleted) {
    GameScene scene(nullptr);
    leftClick(scene, 2, 6);  // Blue selects its third pawn
    rightClick(scene, 0, 0);
    EXPECT_EQ(scene.turn, 0);
    leftClick(scene, 2, 6);
    leftClick(scene, 2, 5);
    EXPECT_EQ(scene.turn, 1);
    leftClick(scene, 6, 2);  // Red opens the diagonal of its bishop
    leftClick(scene, 6, 3);
    EXPECT_EQ(scene.turn, 0);
    // Blue's bishop takes Red's bishop, promoting in Red's camp.
    leftClick(scene, 1, 7);
    ASSERT_TRUE(scene.moveMap.isMarked(7, 1));
    leftClick(scene, 7, 1);
    EXPECT_EQ(scene.board.cellAt(7, 1), (Cell{PromotedBishop, 0, 7, 1}));
    EXPECT_EQ(pieceCount(scene.board), 39);
    EXPECT_EQ(scene.turn, 1);
    // Red's silver recaptures; on Red's frame the square is flipped row 7.
    leftClick(scene, 6, 0);
    ASSERT_EQ(scene.selected.row, 8);
    ASSERT_TRUE(scene.moveMap.isMarked(7, 7));
    leftClick(scene, 7, 1);
    EXPECT_EQ(scene.board.cellAt(7, 1), (Cell{Silver, 1, 7, 1}));
    EXPECT_EQ(pieceCount(scene.board), 38);
    EXPECT_EQ(scene.turn, 0);
}

}  // namespace
}  // namespace ixo::test
