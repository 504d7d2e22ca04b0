// Linked into the suites whose tests draw whole scenes: they share one SDL, opened once for
// the program, since opening and closing it around every test would cost more than the tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SDL.h"
#include "media/text.h"

namespace ixo::test {
namespace {

// The game's own screen, 800 x 600 at 16 bits, and its font for the whole program, closed at
// the end so that the leak checkers see everything returned.
class SdlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
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
}  // namespace ixo::test
