#include "input/mouse.h"

namespace ixo {

namespace {

Mouse::StateReader stateReader = &SDL_GetMouseState;

}  // namespace

Mouse& Mouse::instance() {
    static Mouse mouse;
    return mouse;
}

void Mouse::setStateReader(StateReader reader) {
    stateReader = reader ? reader : &SDL_GetMouseState;
}

void Mouse::refresh() {
    // The old levels are kept first: a release is "up now, down at the refresh before".
    leftWasDown = leftDown;
    rightWasDown = rightDown;
    int pointerX = 0;
    int pointerY = 0;
    const Uint8 buttons = stateReader(&pointerX, &pointerY);
    x = pointerX;
    y = pointerY;
    leftDown = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) ? 1 : 0;
    rightDown = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) ? 1 : 0;
}

}  // namespace ixo
