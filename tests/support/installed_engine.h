#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/engine_process.h"

namespace ixo::test {

// A developer without the packages may skip the real engines' tests; CI installs both and
// must run them.
inline bool engineInstalled(const char* name) {
    std::string path;
    std::string error;
    if (findEngine(name, path, error)) {
        return true;
    }
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") {
        ADD_FAILURE() << name << " must be installed under CI (setup.sh's test packages)";
    }
    return false;
}

}  // namespace ixo::test

#define REQUIRE_ENGINE(name)                                                                     \
    if (!::ixo::test::engineInstalled(name)) {                                                   \
        GTEST_SKIP() << name << " is not installed (Debian packages fairy-stockfish, gpsshogi)"; \
    }
