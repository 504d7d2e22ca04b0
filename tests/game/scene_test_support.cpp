#include "scene_test_support.h"

namespace ixo::test {

void SceneTest::writePicture(const std::string& path, int width, int height, Uint8 r, Uint8 g,
                             Uint8 b) {
    const std::filesystem::path file = scratch_->root() / path;
    std::filesystem::create_directories(file.parent_path());
    // 24 bits and no alpha, so every pixel lands on the screen exactly as filled.
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(picture, nullptr);
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, r, g, b));
    EXPECT_EQ(SDL_SaveBMP(picture, file.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(picture);
}

void SceneTest::frame(GameScene& scene, int x, int y, Uint8 buttons) {
    reliability::FakePointer& pointer = reliability::FakePointer::instance();
    pointer.x = x;
    pointer.y = y;
    pointer.buttons = buttons;
    EXPECT_EQ(scene.update(), "loop");
}

void SceneTest::releaseAt(GameScene& scene, int x, int y, Uint8 buttons) {
    frame(scene, x, y, buttons);
    frame(scene, x, y, 0);
}

void SceneTest::click(GameScene& scene, int column, int row, Uint8 buttons) {
    releaseAt(scene, squareLeft(column) + kSquareSize / 2, squareTop(row) + kSquareSize / 2,
              buttons);
}

}  // namespace ixo::test
