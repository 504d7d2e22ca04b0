#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SDL.h"
#include "SDL_mixer.h"
#include "app/application.h"
#include "app/scene.h"
#include "media/text.h"

namespace ixo {
namespace {

// No test here may need a display or a sound card, whatever the calling environment sets.
struct HeadlessDrivers : ::testing::Environment {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
};
const auto* const headless = ::testing::AddGlobalTestEnvironment(new HeadlessDrivers);

// Records every call the loop makes, so each test can read the order of one run.
std::vector<std::string> calls;

struct RecordingScene : Scene {
    explicit RecordingScene(bool drawsFrames) : drawsFrames(drawsFrames) {}
    ~RecordingScene() override {
        // What the scene's pictures need: SDL and the font still there when it goes.
        calls.push_back(SDL_WasInit(SDL_INIT_VIDEO) && fontImage ? "destroyed" : "destroyed late");
    }
    std::string name() override { return calls.push_back("name"), "recording"; }
    std::string update() override { return calls.push_back("update"), "loop"; }
    bool draw() override { return calls.push_back("draw"), drawsFrames; }
    bool drawsFrames;
};

// Creates a scene when there is none and ends the loop after a few passes, so the loop's own
// order can be seen without a key press.
struct RecordingApp : Application {
    bool onTransition(const std::string& name, const std::string& result) override {
        calls.push_back("transition " + name + "/" + result);
        if (name.empty())
            setScene(new RecordingScene(drawsFrames));
        return --passesLeft > 0;
    }
    bool drawsFrames = true;
    int passesLeft = 3;
};

void pushKey(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

class MainLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        calls.clear();
        ASSERT_TRUE(app.init("Ixo", 800, 600, 16, false)) << app.failure();
    }
    RecordingApp app;
};

TEST_F(MainLoop, FirstPassOnlyCreatesTheSceneAndLaterPassesDriveItInOrder) {
    EXPECT_EQ(app.run(), 0);
    const std::vector<std::string> expected = {"transition /",
                                               "update",
                                               "draw",
                                               "name",
                                               "transition recording/loop",
                                               "update",
                                               "draw",
                                               "name",
                                               "transition recording/loop",
                                               "destroyed"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(app.framesPresented(), 2);
}

TEST_F(MainLoop, ADrawThatReturnsFalseIsNeverFlipped) {
    app.drawsFrames = false;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.framesPresented(), 0);
}

TEST_F(MainLoop, EscapeKeyDownEndsTheLoopBeforeAnySceneExists) {
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(MainLoop, EscapeReleaseAndOtherKeysDoNotEndTheLoop) {
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    pushKey(SDL_KEYDOWN, SDLK_a);
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_TRUE(app.pollEvents());
    app.shutdown();
}

TEST_F(MainLoop, AQuitRequestBehindOtherEventsEndsThePollAndLeavesLaterEventsUnread) {
    pushKey(SDL_KEYDOWN, SDLK_a);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    pushKey(SDL_KEYDOWN, SDLK_b);
    EXPECT_FALSE(app.pollEvents());
    SDL_Event left[4];
    ASSERT_EQ(SDL_PeepEvents(left, 4, SDL_PEEKEVENT, SDL_ALLEVENTS), 1);
    EXPECT_EQ(left[0].key.keysym.sym, SDLK_b);
    app.shutdown();
}

TEST_F(MainLoop, ShutdownDestroysSceneThenFontThenAudioThenSdl) {
    pushKey(SDL_KEYUP, SDLK_a);  // keep the first poll busy so the scene gets made
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(calls.back(), "destroyed");
    EXPECT_EQ(fontImage, nullptr);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    EXPECT_EQ(app.screen(), nullptr);
}

TEST(SceneOwnership, HandingOverTheCurrentSceneAgainKeepsIt) {
    calls.clear();
    {
        Application app;
        auto* scene = new RecordingScene(true);
        app.setScene(scene);
        app.setScene(scene);
        EXPECT_EQ(app.scene(), scene);
        EXPECT_TRUE(calls.empty());
        app.setScene(new RecordingScene(true));
        EXPECT_EQ(calls.size(), 1u);
    }
    EXPECT_EQ(calls.size(), 2u);  // the application destroyed the second scene exactly once
}

}  // namespace
}  // namespace ixo
