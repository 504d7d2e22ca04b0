#include "scene_test_support.h"

#include <cstdlib>

#include "input/mouse.h"

namespace ixo::test {

namespace {

int pointerX = 0;
int pointerY = 0;
Uint8 pointerButtons = 0;

Uint8 readFakePointer(int* x, int* y) {
    *x = pointerX;
    *y = pointerY;
    return pointerButtons;
}

}  // namespace

void SceneTest::SetUp() {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "ixo-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ / "run");
    std::filesystem::current_path(root_ / "run");
    pointerButtons = 0;
    Mouse::setStateReader(&readFakePointer);
    Mouse::instance() = Mouse{};
}

void SceneTest::TearDown() {
    Mouse::setStateReader(nullptr);
    Mouse::instance() = Mouse{};
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(root_);
}

void SceneTest::writePicture(const std::string& path, int width, int height, Uint8 r, Uint8 g,
                             Uint8 b) {
    const std::filesystem::path file = root_ / path;
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
    pointerX = x;
    pointerY = y;
    pointerButtons = buttons;
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

int pieceCount(const Board& board) {
    int count = 0;
    for (const Cell& cell : board.cells) {
        count += cell.piece != Empty ? 1 : 0;
    }
    return count;
}

}  // namespace ixo::test
