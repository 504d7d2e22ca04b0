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
}

}  // namespace ixo
