#pragma once

#include "SDL.h"

namespace ixo {

// A once-per-pass snapshot of the arrow keys and c, x and z, with a press edge for c.
class Keyboard {
  public:
    virtual ~Keyboard() = default;

    static Keyboard& instance();
    void refresh();  // from SDL_GetKeyState
    // The same step from any key-state array indexed by SDL key value.
    void refreshFrom(const Uint8* keys);
    bool keyCHeld() const { return keyC; }

    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    bool keyC = false;
    bool keyX = false;
    bool keyZ = false;
    bool keyCPressed = false;
    bool keyCPrevious = false;
};

}  // namespace ixo
