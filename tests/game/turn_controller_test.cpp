#include <string>
#include <tuple>

#include "reliability/scene_invariants.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

// Each case runs for either side. Rows are named as the side to move sees them, its back rank
// being row 8, which on Red's turn is the screen upside down.
class TurnController : public SceneTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        ASSERT_TRUE(reliability::setUpPosition(scene_, scene_.board(), GetParam()));
    }

    bool red() const { return GetParam() != 0; }
    int screenRow(int ownRow) const { return red() ? 8 - ownRow : ownRow; }
    std::int8_t owner() const { return red() ? 1 : 0; }
    std::string portrait(const char* number) const {
        return std::string("../image/team/sample/") + (red() ? "2pcg/" : "1pcg/") + number + ".png";
    }
    void clickOwn(int column, int ownRow, Uint8 buttons = kLeftButton) {
        click(scene_, column, screenRow(ownRow), buttons);
    }
    // Whatever a frame may change, to show that some frames changed nothing.
    auto state() const {
        return std::make_tuple(scene_.board(), scene_.moveMap, scene_.turn(), scene_.selected,
                               scene_.portrait.path());
    }

    GameScene scene_{nullptr};
};

INSTANTIATE_TEST_SUITE_P(BothSides, TurnController, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Blue" : "Red"; });

TEST_P(TurnController, ReleaseOnAMovablePieceSelectsItInTheMoversFrameEvenWithTheRightButton) {
    const Board before = scene_.board();
    clickOwn(4, 6, kLeftButton | kRightButton);
    // Red's pawn on screen row 2 is kept as flipped row 6, owner 0.
    EXPECT_EQ(scene_.selected, (Cell{Pawn, 0, 4, 6}));
    EXPECT_EQ(scene_.moveMap.count(), 1);
    EXPECT_TRUE(scene_.moveMap.isMarked(4, 5));
    EXPECT_EQ(scene_.portrait.path(), portrait("01"));
    EXPECT_EQ(scene_.board(), before);
    EXPECT_EQ(scene_.turn(), GetParam());
}

TEST_P(TurnController, ClicksThatCannotSelectChangeNothing) {
    const auto before = state();
    clickOwn(red() ? 7 : 1, 7);  // the bishop, hemmed in by its own pieces
    clickOwn(1, 8);              // the knights
    clickOwn(7, 8);
    clickOwn(4, 2);  // the opponent's pawn
    clickOwn(4, 4);  // an empty square
    clickOwn(4, 6, kRightButton);
    frame(scene_, squareLeft(4), squareTop(screenRow(6)), kLeftButton);  // held, never let go
    frame(scene_, squareLeft(4), squareTop(screenRow(6)), kLeftButton);
    EXPECT_EQ(state(), before);
}

TEST_P(TurnController, RightReleaseOnlyCancelsTheSelectionEvenWithALeftReleaseOnALitSquare) {
    for (Uint8 buttons : {kRightButton, static_cast<Uint8>(kLeftButton | kRightButton)}) {
        clickOwn(4, 6);
        const Board board = scene_.board();
        clickOwn(4, 5, buttons);
        EXPECT_EQ(scene_.selected.piece, -1);
        EXPECT_EQ(scene_.moveMap.count(), 0);
        EXPECT_EQ(scene_.board(), board);
        EXPECT_EQ(scene_.turn(), GetParam());
        EXPECT_EQ(scene_.portrait.path(), portrait("01"));  // stays loaded, merely not shown
    }
}

TEST_P(TurnController, WithAPieceSelectedOtherLeftReleasesKeepTheSelection) {
    clickOwn(4, 6);
    const auto before = state();
    clickOwn(3, 6);  // another own piece that could move
    clickOwn(4, 6);  // the selected piece itself
    clickOwn(4, 4);  // an empty square out of reach
    clickOwn(4, 2);  // an opponent's piece out of reach
    releaseAt(scene_, 568, squareTop(screenRow(5)), kLeftButton);  // beside the lit square
    releaseAt(scene_, squareLeft(4), 560, kLeftButton);
    EXPECT_EQ(state(), before);
}

TEST_P(TurnController, ALeftReleaseOnALitSquareMovesOnceAndPassesTheTurn) {
    clickOwn(4, 6);
    clickOwn(4, 5);
    EXPECT_EQ(scene_.board().cellAt(4, screenRow(5)), (Cell{Pawn, owner(), 4, screenRow(5)}));
    EXPECT_EQ(scene_.board().cellAt(4, screenRow(6)), (Cell{Empty, 0, 4, screenRow(6)}));
    EXPECT_EQ(scene_.selected.piece, -1);
    EXPECT_EQ(scene_.moveMap.count(), 0);
    EXPECT_EQ(scene_.turn(), red() ? 0 : 1);
    // The release is spent: the other side sees no click in the next frame.
    const auto after = state();
    frame(scene_, squareLeft(4), squareTop(screenRow(5)), 0);
    EXPECT_EQ(state(), after);
}

TEST_P(TurnController, APawnCapturingIntoTheFarRowsIsPromotedAndKeepsItsOwner) {
    Board board = scene_.board();
    board.place(0, screenRow(3), Pawn, owner());
    ASSERT_TRUE(reliability::setUpPosition(scene_, board, GetParam()));
    const int pieces = reliability::piecesOn(scene_.board());
    clickOwn(0, 3);
    clickOwn(0, 2);
    EXPECT_EQ(scene_.board().cellAt(0, screenRow(2)),
              (Cell{PromotedPawn, owner(), 0, screenRow(2)}));
    EXPECT_EQ(scene_.board().cellAt(0, screenRow(3)), (Cell{Empty, 0, 0, screenRow(3)}));
    EXPECT_EQ(reliability::piecesOn(scene_.board()), pieces - 1);
}

TEST_P(TurnController, APromotedPieceShowsThePortraitOfItsOwnCode) {
    Board board = scene_.board();
    board.place(4, 4, PromotedRook, owner());
    ASSERT_TRUE(reliability::setUpPosition(scene_, board, GetParam()));
    clickOwn(4, 4);
    EXPECT_EQ(scene_.portrait.path(), portrait("06"));
}

// Both rule sets go through the one controller, each keeping its selection in its own frame:
// the same clicks make the same moves, Red's in screen squares as much as Blue's.
class OneController : public SceneTest, public ::testing::WithParamInterface<RuleSet> {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        if (GetParam() == RuleSet::Standard) {
            scene_.resumeStandard();
        }
    }

    GameScene scene_{nullptr};
};

INSTANTIATE_TEST_SUITE_P(BothRuleSets, OneController,
                         ::testing::Values(RuleSet::Simple, RuleSet::Standard),
                         [](const auto& info) {
                             return info.param == RuleSet::Simple ? "Simple" : "Standard";
                         });

TEST_P(OneController, TheSameClicksMakeTheSameMoves) {
    // With nothing picked up, a two-button release picks up as a left one does.
    click(scene_, 2, 6, kLeftButton | kRightButton);
    ASSERT_EQ(scene_.selected.piece, Pawn);
    click(scene_, 2, 5);
    click(scene_, 6, 2);
    ASSERT_EQ(scene_.selected.piece, Pawn);
    // The one square Red's pawn may go to, wherever the rule set keeps it.
    ASSERT_EQ(scene_.moveMap.count(), 1);
    click(scene_, 6, 3);
    ASSERT_EQ(scene_.match.ply(), 2u);
    const Move& red = *scene_.match.lastMove();
    EXPECT_EQ(red.owner, 1);
    EXPECT_EQ(std::make_tuple(red.fromColumn, red.fromRow, red.toColumn, red.toRow),
              std::make_tuple(6, 2, 6, 3));
    EXPECT_EQ(scene_.board().cellAt(6, 3), (Cell{Pawn, 1, 6, 3}));
    EXPECT_EQ(scene_.board().cellAt(2, 5), (Cell{Pawn, 0, 2, 5}));
}

}  // namespace
}  // namespace ixo::test
