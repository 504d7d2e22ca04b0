#pragma once

#include <array>
#include <cstdint>

#include "SDL.h"

namespace ixo {

// A once-per-pass snapshot of the arrow keys and c, x and z, with a press edge for c, and
// the number of times each key went down since the pass before.
//
// Levels alone lose a key that is pressed and released between two passes, so commands are
// read from the counted key-down events instead.
class Keyboard {
  public:
    virtual ~Keyboard() = default;

    static Keyboard& instance();
    void refresh();  // from SDL_GetKeyState
    // The same step from any key-state array indexed by SDL key value.
    void refreshFrom(const Uint8* keys);
    bool keyCHeld() const { return keyC; }

    // A key-down event as the main loop saw it; counted toward the next refresh.
    void noteKeyDown(SDLKey key);
    // How often `key` went down between the last two refreshes.
    int presses(SDLKey key) const;

    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    bool keyC = false;
    bool keyX = false;
    bool keyZ = false;
    bool keyCPressed = false;
    bool keyCPrevious = false;

  private:
    std::array<std::uint16_t, SDLK_LAST> pendingPresses_{};
    std::array<std::uint16_t, SDLK_LAST> presses_{};
};

}  // namespace ixo
