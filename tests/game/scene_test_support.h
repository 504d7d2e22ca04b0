#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SDL.h"
#include "game/game_scene.h"
#include "game/geometry.h"
#include "input/mouse.h"

namespace ixo::test {

// The pointer and button mask that the scene's mouse reads instead of SDL's, so that frames
// can be driven without a display.
struct FakePointer {
    static int x;
    static int y;
    static Uint8 buttons;
    static Uint8 read(int* outX, int* outY);
};

constexpr Uint8 kLeftButton = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr Uint8 kRightButton = SDL_BUTTON(SDL_BUTTON_RIGHT);

// A scratch tree <tmp>/run with an optional <tmp>/image beside it. The process works in run/
// while the object lives, so the scene's ../image/ paths never reach the real artwork.
class ScratchTree {
  public:
    ScratchTree();
    ~ScratchTree();
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    // A solid picture of the given size, written as a BMP whatever the name says: the loader
    // recognises pictures by their contents.
    void writePicture(const std::string& relativePath, int width, int height, Uint8 red,
                      Uint8 green, Uint8 blue) const;
    const std::filesystem::path& root() const { return root_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path root_;
};

// Every test of the scene runs inside a scratch tree with the fake pointer in charge of the
// mouse, and leaves the reader and the working directory as it found them.
class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One frame with the pointer at (x, y) and the given buttons held.
    void frame(GameScene& scene, int x, int y, Uint8 buttons);
    // Button down in one frame, up in the next, over a window pixel.
    void releaseAt(GameScene& scene, int x, int y, Uint8 buttons);
    // The same, over the middle of a square given in screen orientation.
    void leftClick(GameScene& scene, int column, int row);
    void rightClick(GameScene& scene, int column, int row);

    ScratchTree tree_;
};

int pieceCount(const Board& board);

}  // namespace ixo::test
