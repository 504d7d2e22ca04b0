#pragma once

#include <cstdint>

#include "SDL.h"

namespace ixo {

// The pointer and the left and right button levels at the latest refresh and the one
// before, from which a release edge is seen in exactly one frame.
struct Mouse {
    // Where refresh() reads the pointer; SDL_GetMouseState unless a test or a fuzzer
    // substitutes its own, since SDL 1.2 offers no way to set button levels without a display.
    using StateReader = Uint8 (*)(int* x, int* y);

    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint8_t leftDown = 0;
    std::uint8_t rightDown = 0;
    std::uint8_t leftWasDown = 0;
    std::uint8_t rightWasDown = 0;

    static Mouse& instance();
    static void setStateReader(StateReader reader);  // nullptr restores SDL_GetMouseState

    void refresh();
    bool leftReleased() const { return leftDown == 0 && leftWasDown != 0; }
    bool rightReleased() const { return rightDown == 0 && rightWasDown != 0; }
};

}  // namespace ixo
