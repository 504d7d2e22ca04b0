#pragma once

#include <string>

namespace ixo {

// What the command line asked for. With no arguments every field keeps its default and the
// game starts exactly as it always has.
struct Options {
    bool fullscreen = false;    // --fullscreen
    bool mute = false;          // --mute: no sound, and no audio device opened
    bool continueLast = false;  // --continue: the newest record in the games folder
    std::string recordPath;     // FILE: a KIF record to open; empty for a new game
};

}  // namespace ixo
