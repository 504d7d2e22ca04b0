#include "app/format.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

TEST_F(SceneTest, ANewSceneHasBlueToMoveNothingSelectedAndTheStartPosition) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    GameScene scene(screen);
    Board start;
    start.reset();
    EXPECT_EQ(scene.name(), "game");
    EXPECT_EQ(scene.screen, screen);
    EXPECT_EQ(scene.turn, 0);
    EXPECT_EQ(scene.selected.piece, -1);
    EXPECT_EQ(scene.moveMap.count(), 0);
    EXPECT_EQ(scene.portrait.surface(), nullptr);
    EXPECT_EQ(scene.portrait.path(), "");
    EXPECT_EQ(scene.board, start);
}

TEST_F(SceneTest, EveryFixedPictureIsLoadedFromItsOwnPath) {
    // Each picture a different width, so a picture loaded into the wrong field shows.
    int width = 1;
    auto write = [&](const std::string& path) { tree_.writePicture(path, width++, 2, 9, 9, 9); };
    write("image/bg.jpg");
    write("image/board.jpg");
    for (int code = 1; code <= 14; ++code) {
        write(formatString("image/team/sample/1p/%02d.png", code));
        write(formatString("image/team/sample/2p/%02d.png", code));
    }
    write("image/kager.png");
    write("image/kageb.png");
    write("image/hikari.png");
    write("image/team/sample/1pcg/01.png");

    GameScene scene(SDL_GetVideoSurface());
    EXPECT_EQ(scene.background.width(), 1);
    EXPECT_EQ(scene.boardPicture.width(), 2);
    for (int code = 1; code <= 14; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(scene.bluePieces[code].width(), 1 + 2 * code);
        EXPECT_EQ(scene.redPieces[code].width(), 2 + 2 * code);
        EXPECT_EQ(scene.redPieces[code].path(),
                  formatString("../image/team/sample/2p/%02d.png", code));
    }
    EXPECT_EQ(scene.bluePieces[0].surface(), nullptr);
    EXPECT_EQ(scene.redPieces[0].surface(), nullptr);
    EXPECT_EQ(scene.redShadow.width(), 31);
    EXPECT_EQ(scene.blueShadow.width(), 32);
    EXPECT_EQ(scene.highlight.width(), 33);
    // The portrait waits for the first selection.
    EXPECT_EQ(scene.portrait.surface(), nullptr);
    leftClick(scene, 0, 6);
    EXPECT_EQ(scene.portrait.width(), 34);
}

TEST_F(SceneTest, WithoutAnyPicturesTheSceneStillPlays) {
    GameScene scene(SDL_GetVideoSurface());
    EXPECT_EQ(scene.background.surface(), nullptr);
    EXPECT_EQ(scene.highlight.surface(), nullptr);
    leftClick(scene, 4, 6);
    EXPECT_EQ(scene.portrait.surface(), nullptr);
    EXPECT_EQ(scene.portrait.path(), "../image/team/sample/1pcg/01.png");
    leftClick(scene, 4, 5);
    EXPECT_EQ(scene.board.cellAt(4, 5).piece, Pawn);
    EXPECT_EQ(scene.turn, 1);
}

}  // namespace
}  // namespace ixo::test
