#include "scene_test_support.h"

#include <cstdlib>
#include <stdexcept>

#include "media/text.h"

namespace ixo::test {

int FakePointer::x = 0;
int FakePointer::y = 0;
Uint8 FakePointer::buttons = 0;

Uint8 FakePointer::read(int* outX, int* outY) {
    if (outX != nullptr) {
        *outX = x;
    }
    if (outY != nullptr) {
        *outY = y;
    }
    return buttons;
}

namespace {

// SDL, a 16-bit screen and the font for the whole program, torn down once at the end so the
// leak checker sees everything released.
class SdlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(800, 600, 16, SDL_HWSURFACE), nullptr) << SDL_GetError();
        ASSERT_TRUE(createFont());
    }
    void TearDown() override {
        destroyFont();
        SDL_Quit();
    }
};

[[maybe_unused]] ::testing::Environment* const sdlEnvironment =
    ::testing::AddGlobalTestEnvironment(new SdlEnvironment);

}  // namespace

ScratchTree::ScratchTree() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ixo-game-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("no scratch directory");
    }
    root_ = pattern;
    std::filesystem::create_directories(root_ / "run");
    std::filesystem::current_path(root_ / "run");
}

ScratchTree::~ScratchTree() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void ScratchTree::writePicture(const std::string& relativePath, int width, int height, Uint8 red,
                               Uint8 green, Uint8 blue) const {
    const std::filesystem::path path = root_ / relativePath;
    std::filesystem::create_directories(path.parent_path());
    // 24 bits and no alpha, so every pixel lands on the screen exactly as filled.
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(picture, nullptr);
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, red, green, blue));
    ASSERT_EQ(SDL_SaveBMP(picture, path.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(picture);
}

void SceneTest::SetUp() {
    FakePointer::x = 0;
    FakePointer::y = 0;
    FakePointer::buttons = 0;
    Mouse::setStateReader(&FakePointer::read);
    Mouse::instance() = Mouse{};
}

void SceneTest::TearDown() {
    Mouse::setStateReader(nullptr);
    Mouse::instance() = Mouse{};
}

void SceneTest::frame(GameScene& scene, int x, int y, Uint8 buttons) {
    FakePointer::x = x;
    FakePointer::y = y;
    FakePointer::buttons = buttons;
    EXPECT_EQ(scene.update(), "loop");
}

void SceneTest::releaseAt(GameScene& scene, int x, int y, Uint8 buttons) {
    frame(scene, x, y, buttons);
    frame(scene, x, y, 0);
}

void SceneTest::leftClick(GameScene& scene, int column, int row) {
    releaseAt(scene, squareLeft(column) + kSquareSize / 2, squareTop(row) + kSquareSize / 2,
              kLeftButton);
}

void SceneTest::rightClick(GameScene& scene, int column, int row) {
    releaseAt(scene, squareLeft(column) + kSquareSize / 2, squareTop(row) + kSquareSize / 2,
              kRightButton);
}

int pieceCount(const Board& board) {
    int count = 0;
    for (const Cell& cell : board.cells) {
        count += cell.piece != Empty ? 1 : 0;
    }
    return count;
}

}  // namespace ixo::test
