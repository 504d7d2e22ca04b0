#include "input/keyboard.h"

namespace ixo {

Keyboard& Keyboard::instance() {
    static Keyboard keyboard;
    return keyboard;
}

void Keyboard::refresh() {
    refreshFrom(SDL_GetKeyState(nullptr));
}

void Keyboard::refreshFrom(const Uint8* keys) {
    up = keys[SDLK_UP] != 0;
    down = keys[SDLK_DOWN] != 0;
    left = keys[SDLK_LEFT] != 0;
    right = keys[SDLK_RIGHT] != 0;
    keyC = keys[SDLK_c] != 0;
    keyX = keys[SDLK_x] != 0;
    keyZ = keys[SDLK_z] != 0;
    keyCPressed = keyCHeld() && !keyCPrevious;
    keyCPrevious = keyCHeld();
    presses_ = pendingPresses_;
    pendingPresses_.fill(0);
}

void Keyboard::noteKeyDown(SDLKey key) {
    // The count saturates rather than wraps: no pass sees 65535 presses of one key.
    if (key >= 0 && key < SDLK_LAST && pendingPresses_[key] != UINT16_MAX) {
        ++pendingPresses_[key];
    }
}

int Keyboard::presses(SDLKey key) const {
    return key >= 0 && key < SDLK_LAST ? presses_[key] : 0;
}

}  // namespace ixo
