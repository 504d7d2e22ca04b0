#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

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
void pressM(ShogiApp& app, int times = 1) {
    for (int press = 0; press < times; ++press) {
        Keyboard::instance().noteKeyDown(SDLK_m);
    }
    Keyboard::instance().refresh();
    app.onTransition("game", "loop");
}

// Runs in a scratch folder whose ../sound/ is the repository's, as a build folder's is.
class SoundDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch_.emplace();
        std::filesystem::create_directory_symlink(
            reliability::repositoryImages().parent_path() / "sound", scratch_->root() / "sound");
    }
    void TearDown() override { scratch_.reset(); }

  private:
    std::optional<reliability::ScratchDirectory> scratch_;
};

TEST_F(SoundDevice, AGameStartedMutedOpensNoDeviceUntilMIsPressedAndEachPressToggles) {
    Options options;
    options.mute = true;
    ShogiApp app(options);
    ASSERT_TRUE(app.init("Ixo", 800, 600, 16, false)) << app.failure();
    EXPECT_FALSE(deviceOpen());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    pressM(app);
    EXPECT_TRUE(deviceOpen());
    EXPECT_TRUE(app.mixer().loaded(Sound::Move));
    EXPECT_TRUE(app.mixer().loaded(Sound::Capture));
    EXPECT_TRUE(app.mixer().loaded(Sound::TakeBack));
    pressM(app, 2);
    EXPECT_TRUE(deviceOpen());
    pressM(app);
    EXPECT_FALSE(deviceOpen());
    EXPECT_TRUE(app.muted());
    app.shutdown();
}

TEST_F(SoundDevice, WithoutADeviceTheGameSaysSoOnceAndPlaysOnSilently) {
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ShogiApp app;
    ::testing::internal::CaptureStderr();
    const bool started = app.init("Ixo", 800, 600, 16, false);
    pressM(app, 1);  // muted
    pressM(app, 1);  // and trying the device again
    app.mixer().play(Sound::Capture);
    const std::string told = ::testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);

    ASSERT_TRUE(started) << app.failure();
    EXPECT_FALSE(app.mixer().isOpen());
    EXPECT_EQ(told.rfind("ixo-shogi: could not open the audio device: ", 0), 0u) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;

    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    ASSERT_EQ(SDL_PushEvent(&escape), 0);
    EXPECT_EQ(app.run(), 0);
}

}  // namespace
}  // namespace ixo
