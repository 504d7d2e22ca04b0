#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "scene_driver.h"
#include "scene_invariants.h"

namespace ixo::reliability {
namespace {

// The checker guards the fuzzer and the soak; a fault it cannot see would let both pass
// silently, so each kind of damage is planted by hand here.
class SceneInvariantsTest : public ::testing::Test {
  protected:
    void SetUp() override { FakePointer::install(); }
    void TearDown() override { FakePointer::uninstall(); }

    // Selects Blue's rook at column 7, row 7, whose destinations fill most of its row.
    void selectBlueRook(GameScene& scene) {
        const Board frame = boardOfSideToMove(scene);
        scene.selected = frame.cellAt(7, 7);
        scene.moveMap.computeDestinations(frame, 7, 7);
    }

    ScratchDirectory directory_;
};

TEST_F(SceneInvariantsTest, AnHonestMoveWithCapturePassesAndEveryPlantedFaultIsCaught) {
    GameScene scene(SDL_GetVideoSurface());
    SceneInvariants honest(scene);
    selectBlueRook(scene);
    ASSERT_EQ(honest.check(scene), "");
    // The rook takes Red's pawn at column 7, row 2 once the way is clear, as update() would.
    ASSERT_TRUE(changePosition(scene, [](Board& b) { b.place(7, 6, Empty, 0); }));
    SceneInvariants afterClearing(scene);
    selectBlueRook(scene);
    ASSERT_EQ(afterClearing.check(scene), "");
    ASSERT_TRUE(changePosition(
        scene,
        [](Board& b) {
            b.place(7, 2, Rook, 0);
            b.place(7, 7, Empty, 0);
        },
        1));
    scene.selected.piece = -1;
    scene.moveMap.clear();
    EXPECT_EQ(afterClearing.check(scene), "");

    // Some faults can only follow a selection, so each names the scene it starts from.
    struct Fault {
        const char* name;
        bool rookSelected;
        std::function<void(GameScene&)> plant;
    };
    const Fault faults[] = {
        {"a cell that names another square", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.cells[10].column = 2; }); }},
        {"a piece code past the king", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.cells[0].piece = 15; }); }},
        {"a negative piece code", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.cells[0].piece = -1; }); }},
        {"an owner that is no side", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.cells[0].owner = 2; }); }},
        {"an empty cell with an owner", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.cells[40].owner = 1; }); }},
        {"a piece out of nowhere", false,
         [](GameScene& s) { changePosition(s, [](Board& b) { b.place(4, 4, Gold, 0); }); }},
        {"a quiet change of the board", false,
         [](GameScene& s) {
             changePosition(s, [](Board& b) {
                 b.place(4, 5, Pawn, 0);
                 b.place(4, 6, Empty, 0);
             });
         }},
        {"a turn passed without a move", false,
         [](GameScene& s) {
             changePosition(
                 s, [](Board&) {}, 1);
         }},
        {"a turn value never written", false,
         [](GameScene& s) {
             changePosition(
                 s, [](Board&) {}, 2);
         }},
        {"a selection of Red's piece on Blue's turn", false,
         [](GameScene& s) {
             s.selected = s.board().cellAt(4, 2);
             s.moveMap.computeDestinations(s.board().flipped(), 4, 6);
         }},
        {"highlights that are not the piece's destinations", true,
         [](GameScene& s) { s.moveMap.marks[0] = 1; }},
        {"a selection that does not match its square", true,
         [](GameScene& s) { s.selected.piece = Bishop; }},
        {"highlights with nothing selected", false, [](GameScene& s) { s.moveMap.marks[40] = 1; }},
        {"a move map entry other than 0 or 1", true,
         [](GameScene& s) { s.moveMap.marks[7 * 9 + 6] = 2; }},
        {"a move that leaves the selection behind", true,
         [](GameScene& s) {
             changePosition(
                 s,
                 [](Board& b) {
                     b.place(7, 6, Rook, 0);
                     b.place(7, 7, Empty, 0);
                 },
                 1);
         }},
        {"a move that leaves a copy on the origin", true,
         [](GameScene& s) {
             changePosition(
                 s, [](Board& b) { b.place(7, 6, Rook, 0); }, 1);
             s.selected.piece = -1;
             s.moveMap.clear();
         }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        GameScene damaged(SDL_GetVideoSurface());
        if (fault.rookSelected) {
            selectBlueRook(damaged);
        }
        SceneInvariants invariants(damaged);
        ASSERT_EQ(invariants.check(damaged), "");
        fault.plant(damaged);
        EXPECT_NE(invariants.check(damaged), "");
    }
}

}  // namespace
}  // namespace ixo::reliability
