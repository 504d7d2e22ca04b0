#pragma once

#include <dirent.h>
#include <poll.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/usi_engine.h"
#include "gtest/gtest.h"

namespace ixo::testing {

inline std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline int openDescriptorCount() {
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    while (folder && readdir(folder)) {
        ++count;
    }
    if (folder) {
        closedir(folder);
    }
    return count;
}

// Every engine test must leave no child and no descriptor behind, whichever way it ended.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override { descriptorsBefore_ = openDescriptorCount(); }
    void TearDown() override {
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore_) << "a descriptor was left open";
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child process was left behind";
        EXPECT_EQ(errno, ECHILD);
    }

  private:
    int descriptorsBefore_ = 0;
};

// Runs the engine the way the main loop will: waits on its descriptor and its deadline
// together, updates, and hands over events until `done` says so or `limitMs` passes.
inline std::vector<EngineEvent> runEngine(UsiEngine& engine,
                                          const std::function<bool(const EngineEvent&)>& done,
                                          int limitMs) {
    std::vector<EngineEvent> seen;
    const std::int64_t giveUp = nowMs() + limitMs;
    for (;;) {
        EngineEvent event;
        while (engine.pollEvent(event)) {
            seen.push_back(event);
            if (done(event)) {
                return seen;
            }
        }
        const std::int64_t now = nowMs();
        if (now >= giveUp) {
            return seen;
        }
        std::int64_t wait = giveUp - now;
        if (engine.nextDeadline() >= 0) {
            wait = std::min<std::int64_t>(wait,
                                          std::max<std::int64_t>(engine.nextDeadline() - now, 0));
        }
        pollfd watched{engine.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, static_cast<int>(wait));
        engine.update(nowMs());
    }
}

inline std::function<bool(const EngineEvent&)> until(EngineEvent::Kind kind) {
    return [kind](const EngineEvent& event) {
        return event.kind == kind || event.kind == EngineEvent::Kind::Fault;
    };
}

}  // namespace ixo::testing
