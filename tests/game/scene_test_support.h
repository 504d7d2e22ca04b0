#pragma once

#include <gtest/gtest.h>
#include <poll.h>

#include <optional>
#include <string>
#include <vector>

#include "SDL.h"
#include "game/game_scene.h"
#include "game/geometry.h"
#include "reliability/scene_driver.h"

namespace ixo::test {

constexpr Uint8 kLeftButton = SDL_BUTTON(SDL_BUTTON_LEFT);
constexpr Uint8 kRightButton = SDL_BUTTON(SDL_BUTTON_RIGHT);

struct Rgb {
    Uint8 r, g, b;
};

// A colour for every picture the rendering tests write, so a pixel tells which one lies on
// top. Steps of 8 survive the 5- and 6-bit channels of the 16-bit screen.
constexpr Rgb kBackground{40, 40, 40};
constexpr Rgb kBoard{200, 160, 80};
constexpr Rgb kHighlight{0, 248, 0};
constexpr Rgb bluePiece(int code) {
    return {static_cast<Uint8>(8 * code), 248, 248};
}
constexpr Rgb redPiece(int code) {
    return {248, 248, static_cast<Uint8>(8 * code)};
}

// Runs each test in a scratch <tmp>/run, with <tmp>/image for the pictures it writes, so the
// scene's ../image/ paths never reach the real artwork; and puts a fake pointer in charge of
// the mouse so that frames can be driven without a display.
class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch_.emplace();
        reliability::FakePointer::install();
    }
    void TearDown() override {
        reliability::FakePointer::uninstall();
        scratch_.reset();
    }

    // A solid picture, written as a BMP whatever its name says: the loader goes by content.
    void writePicture(const std::string& path, int width, int height, Uint8 r, Uint8 g, Uint8 b);
    // One frame with the pointer at (x, y) and these buttons held.
    void frame(GameScene& scene, int x, int y, Uint8 buttons);
    // Down in one frame and up in the next, over a pixel or the middle of a screen square.
    void releaseAt(GameScene& scene, int x, int y, Uint8 buttons);
    void click(GameScene& scene, int column, int row, Uint8 buttons = kLeftButton);
    // Frames until `done`, waiting between them on the engine whose descriptor `engineFd`
    // gives; false after two seconds.
    template <typename EngineFd, typename Done>
    bool framesUntil(GameScene& scene, EngineFd engineFd, Done done) {
        for (int pass = 0; pass < 200; ++pass) {
            frame(scene, 0, 0, 0);
            if (done()) {
                return true;
            }
            pollfd watched{engineFd(), POLLIN, 0};
            poll(&watched, watched.fd >= 0 ? 1 : 0, 10);
        }
        return false;
    }

  private:
    std::optional<reliability::ScratchDirectory> scratch_;
};

// Every move event a scene tells its observers, in order.
struct Heard : GameObserver {
    void onMoveEvent(const GameScene&, const Move&, MoveEvent event) override {
        events.push_back(event);
    }
    std::vector<MoveEvent> events;
};

}  // namespace ixo::test
