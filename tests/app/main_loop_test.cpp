#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "SDL.h"
#include "SDL_mixer.h"
#include "app/application.h"
#include "app/event_wait.h"
#include "game/scene.h"
#include "input/keyboard.h"
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

std::vector<std::string> calls;  // every call the loop made, in order

struct RecordingScene : Scene {
    explicit RecordingScene(bool drawsFrames) : drawsFrames(drawsFrames) {}
    ~RecordingScene() override {
        // A scene's pictures can only be freed while SDL runs; the font must outlive it too.
        calls.push_back(SDL_WasInit(SDL_INIT_VIDEO) && fontImage ? "destroyed" : "destroyed late");
    }
    std::string name() override { return calls.push_back("name"), "recording"; }
    std::string update() override { return calls.push_back("update"), "loop"; }
    bool draw() override { return calls.push_back("draw"), drawsFrames; }
    bool drawsFrames;
};

// Makes a scene when there is none and ends the loop after three passes.
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

void push(Uint8 type, SDLKey key = SDLK_UNKNOWN) {
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
    void TearDown() override { app.shutdown(); }
    RecordingApp app;
};

TEST_F(MainLoop, MakesTheSceneInThePassWithoutOneAndShutsDownAfterItInOrder) {
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
    int frequency, channels;
    Uint16 format;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    EXPECT_EQ(fontImage, nullptr);
}

TEST_F(MainLoop, ADrawThatReturnsFalseIsNeverFlipped) {
    app.drawsFrames = false;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.framesPresented(), 0);
}

// The screen surface still holds the last frame, so a window that was covered or minimised
// gets it presented again even though the scene has nothing new to draw.
TEST_F(MainLoop, AnUncoveredOrRestoredWindowIsPresentedAgainWithoutADraw) {
    app.drawsFrames = false;
    app.passesLeft = 4;
    SDL_Event event{};
    event.type = SDL_VIDEOEXPOSE;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = 1;
    event.active.state = SDL_APPINPUTFOCUS;  // focus alone leaves the pixels where they were
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.framesPresented(), 1);

    ASSERT_TRUE(app.init("Ixo", 800, 600, 16, false)) << app.failure();
    app.passesLeft = 4;
    event.active.state = SDL_APPACTIVE;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.framesPresented(), 2);
}

TEST_F(MainLoop, EscapeKeyDownEndsTheLoopBeforeAnySceneExists) {
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(MainLoop, EscapeGoesToASceneThatTakesItAsAKeyAndQuitsOnceItNoLongerDoes) {
    struct Closing : RecordingScene {
        Closing() : RecordingScene(false) {}
        bool takesEscape() const override { return open; }
        bool open = true;
    };
    auto* scene = new Closing;
    app.setScene(scene);
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_TRUE(app.pollEvents());
    Keyboard::instance().refresh();
    EXPECT_EQ(Keyboard::instance().presses(SDLK_ESCAPE), 1);
    scene->open = false;
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_FALSE(app.pollEvents());
    Keyboard::instance().refresh();
}

TEST_F(MainLoop, OnlyEscapeDownOrAQuitRequestEndsThePollAndLaterEventsStayQueued) {
    push(SDL_KEYUP, SDLK_ESCAPE);
    push(SDL_KEYDOWN, SDLK_a);
    EXPECT_TRUE(app.pollEvents());
    push(SDL_KEYDOWN, SDLK_a);
    push(SDL_QUIT);
    push(SDL_KEYDOWN, SDLK_b);
    EXPECT_FALSE(app.pollEvents());
    SDL_Event left[4];
    ASSERT_EQ(SDL_PeepEvents(left, 4, SDL_PEEKEVENT, SDL_ALLEVENTS), 1);
    EXPECT_EQ(left[0].key.keysym.sym, SDLK_b);
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
    EXPECT_EQ(calls.size(), 2u);  // the second scene went with the application, once
}


// A game against a server may have the opponent engine, the hint, both analysts and the
// socket open at once; input on the last of them must end the wait, not its timeout.
TEST_F(MainLoop, TheWaitEndsOnInputFromTheLastOfManyDescriptors) {
    std::vector<int> descriptors;
    std::vector<int> writeEnds;
    for (int i = 0; i < 5; ++i) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        descriptors.push_back(ends[0]);
        writeEnds.push_back(ends[1]);
    }
    ASSERT_EQ(write(writeEnds.back(), "x", 1), 1);
    const Uint32 start = SDL_GetTicks();
    waitForEvent(20000, descriptors);
    EXPECT_LT(SDL_GetTicks() - start, 10000u) << "the wait ran to its timeout";
    for (const int end : descriptors) close(end);
    for (const int end : writeEnds) close(end);
}

}  // namespace
}  // namespace ixo
