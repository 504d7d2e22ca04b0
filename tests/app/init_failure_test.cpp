#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SDL.h"
#include "app/application.h"
#include "media/text.h"

namespace ixo {
namespace {

// Sets one SDL driver variable for the life of a test and restores the dummy driver.
struct DriverOverride {
    DriverOverride(const char* variable, const char* value) : variable(variable) {
        setenv(variable, value, 1);
    }
    ~DriverOverride() { setenv(variable, "dummy", 1); }
    const char* variable;
};

TEST(InitFailure, NamesSdlWhenVideoCannotStartAndOpensNothing) {
    DriverOverride video("SDL_VIDEODRIVER", "no-such-driver");
    Application app;
    EXPECT_FALSE(app.init("Ixo", 800, 600, 16, false));
    EXPECT_EQ(app.failure().rfind("could not start SDL: ", 0), 0u) << app.failure();
    EXPECT_EQ(app.screen(), nullptr);
    app.shutdown();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

TEST(InitFailure, NamesTheAudioDeviceAndHowToRunWithoutSoundAndCreatesNoFont) {
    DriverOverride audio("SDL_AUDIODRIVER", "no-such-driver");
    Application app;
    EXPECT_FALSE(app.init("Ixo", 800, 600, 16, false));
    EXPECT_NE(app.failure().find("could not open the audio device: "), std::string::npos);
    EXPECT_NE(app.failure().find("SDL_AUDIODRIVER=dummy"), std::string::npos);
    EXPECT_EQ(app.failure().find('\n'), std::string::npos);
    EXPECT_EQ(fontImage, nullptr);
    app.shutdown();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

// The program itself: one line on standard error and status 1, without touching a window.
TEST(InitFailure, TheProgramReportsOneLineAndExitsWithOne) {
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string program =
        std::string(self).substr(0, std::string(self).rfind('/')) + "/../src/ixo-shogi";
    if (access(program.c_str(), X_OK) != 0)
        GTEST_SKIP() << "not built: " << program;

    FILE* output = popen(("SDL_AUDIODRIVER=no-such-driver " + program + " 2>&1").c_str(), "r");
    ASSERT_NE(output, nullptr);
    std::string text;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, output))
        text += chunk;
    const int status = pclose(output);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(text.find("could not open the audio device"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
}  // namespace ixo
