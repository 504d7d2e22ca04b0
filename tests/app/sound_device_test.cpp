#include <gtest/gtest.h>

#include "SDL.h"
#include "SDL_mixer.h"
#include "app/shogi_app.h"
#include "input/keyboard.h"
#include "reliability/scene_driver.h"

namespace ixo {
namespace {

bool deviceOpen() {
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}

// M as the loop sees it: noted by the poll, published by the refresh, acted on in the pass.
void pressM(ShogiApp& app, int times) {
    for (int press = 0; press < times; ++press) {
        Keyboard::instance().noteKeyDown(SDLK_m);
    }
    Keyboard::instance().refresh();
    app.onTransition("game", "loop");
}

TEST(Mute, AGameStartedMutedOpensNoDeviceUntilMIsPressedAndEachPressToggles) {
    reliability::ScratchDirectory scratch;
    std::filesystem::create_directory_symlink(
        reliability::repositoryImages().parent_path() / "sound", scratch.root() / "sound");
    Options options;
    options.mute = true;
    ShogiApp app(options);
    ASSERT_TRUE(app.init("Ixo", 800, 600, 16, false)) << app.failure();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    pressM(app, 1);
    EXPECT_TRUE(deviceOpen());
    EXPECT_TRUE(app.mixer().loaded(Sound::TakeBack));
    pressM(app, 2);
    EXPECT_TRUE(deviceOpen());
    pressM(app, 1);
    EXPECT_FALSE(deviceOpen());
    app.shutdown();
}

}  // namespace
}  // namespace ixo
