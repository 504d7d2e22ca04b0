#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

namespace {

// Runs the program with one SDL driver that cannot exist; returns its exit status and output.
std::pair<int, std::string> runWithout(const std::string& driverVariable) {
    char self[PATH_MAX] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return {-1, "no /proc"};
    const std::string tests = std::string(self).substr(0, std::string(self).rfind('/'));
    std::string program = tests + "/../src/ixo-shogi";
    if (access(program.c_str(), X_OK) != 0)
        program = tests + "/../ixo-shogi";
    if (access(program.c_str(), X_OK) != 0)
        return {-1, "not built: " + program};
    // The player's remembered game must not change what a bare start does here.
    FILE* output =
        popen((driverVariable + "=no-such-driver XDG_CONFIG_HOME=/nonexistent " + program + " 2>&1")
                  .c_str(),
              "r");
    std::string text;
    char chunk[256];
    while (output && std::fgets(chunk, sizeof chunk, output))
        text += chunk;
    const int status = output ? pclose(output) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

// Only a missing screen stops the game; a missing sound device does not (sound_device_test).
TEST(InitFailure, TheProgramNamesWhatCouldNotBeOpenedOnOneLineAndExitsWithOne) {
    const auto video = runWithout("SDL_VIDEODRIVER");
    EXPECT_EQ(video.first, 1);
    EXPECT_EQ(video.second.rfind("ixo-shogi: could not start SDL: ", 0), 0u) << video.second;
    EXPECT_EQ(std::count(video.second.begin(), video.second.end(), '\n'), 1) << video.second;
}

}  // namespace
