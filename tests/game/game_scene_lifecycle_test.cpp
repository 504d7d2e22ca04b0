#include "scene_test_support.h"

namespace ixo::test {
namespace {

TEST_F(SceneTest, ANewSceneHasBlueToMoveNothingSelectedAndTheStartPosition) {
    GameScene scene(SDL_GetVideoSurface());
    Board start;
    start.reset();
    EXPECT_EQ(scene.name(), "game");
    EXPECT_EQ(scene.screen, SDL_GetVideoSurface());
    EXPECT_EQ(scene.turn(), 0);
    EXPECT_EQ(scene.selected.piece, -1);
    EXPECT_EQ(scene.moveMap.count(), 0);
    EXPECT_EQ(scene.portrait.path(), "");
    EXPECT_EQ(scene.board(), start);
}

}  // namespace
}  // namespace ixo::test
