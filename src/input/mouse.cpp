#include "input/mouse.h"

#include <algorithm>

namespace ixo {

namespace {

Mouse::StateReader stateReader = &SDL_GetMouseState;

// Toward minus infinity: the band left of or above the frame must not fold into its first
// column or row.
std::int32_t floorDivide(std::int64_t value, int divisor) {
    const std::int64_t quotient = value / divisor;
    return static_cast<std::int32_t>(quotient * divisor > value ? quotient - 1 : quotient);
}

}  // namespace

Mouse& Mouse::instance() {
    static Mouse mouse;
    return mouse;
}

void Mouse::setStateReader(StateReader reader) {
    stateReader = reader ? reader : &SDL_GetMouseState;
}

void Mouse::setWindowMapping(int scale, int originX, int originY) {
    scale_ = scale > 0 ? scale : 1;
    originX_ = originX;
    originY_ = originY;
}

std::int32_t Mouse::frameX(std::int32_t windowX) const {
    return floorDivide(std::int64_t{windowX} - originX_, scale_);
}

std::int32_t Mouse::frameY(std::int32_t windowY) const {
    return floorDivide(std::int64_t{windowY} - originY_, scale_);
}

void Mouse::noteButton(std::uint8_t button, bool pressed, std::int32_t eventX,
                       std::int32_t eventY) {
    if (button == SDL_BUTTON_WHEELUP || button == SDL_BUTTON_WHEELDOWN) {
        // Bounded like the buttons: a flood of steps scrolls no further than the list goes.
        constexpr int kMostSteps = 1000;
        if (pressed) {
            pendingWheel_ = std::clamp(pendingWheel_ + (button == SDL_BUTTON_WHEELDOWN ? 1 : -1),
                                       -kMostSteps, kMostSteps);
        }
        return;
    }
    if ((button != SDL_BUTTON_LEFT && button != SDL_BUTTON_RIGHT) ||
        pendingCount == kPendingLimit) {
        return;
    }
    pending[pendingCount++] = ButtonEvent{button, pressed, frameX(eventX), frameY(eventY)};
}

void Mouse::refresh() {
    // The old levels are kept first: a release is "up now, down at the refresh before".
    leftWasDown = leftDown;
    rightWasDown = rightDown;
    wheel_ = pendingWheel_;
    pendingWheel_ = 0;
    int pointerX = 0;
    int pointerY = 0;
    const Uint8 buttons = stateReader(&pointerX, &pointerY);
    x = frameX(pointerX);
    y = frameY(pointerY);
    if (pendingCount > 0) {
        replayPending();
        return;
    }
    leftDown = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) ? 1 : 0;
    rightDown = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) ? 1 : 0;
}

// Applies the noted changes in order up to and including the first release of a button that
// was seen down, which then counts as this pass's release at the event's own position: the
// click lands where the button came up, not where the pointer has gone since. What follows
// that release waits for the next refresh, so two clicks in one gap stay two clicks. The
// sampled levels are not used meanwhile, since SDL has already applied the events still
// waiting here.
void Mouse::replayPending() {
    int used = 0;
    bool released = false;
    while (used < pendingCount && !released) {
        const ButtonEvent& event = pending[used++];
        std::uint8_t& level = event.button == SDL_BUTTON_LEFT ? leftDown : rightDown;
        std::uint8_t& before = event.button == SDL_BUTTON_LEFT ? leftWasDown : rightWasDown;
        if (event.pressed) {
            level = 1;
        } else if (level != 0) {
            // A release with no press seen began outside the game; it was never a click here.
            before = 1;
            level = 0;
            x = event.x;
            y = event.y;
            released = true;
        }
    }
    std::copy(pending.begin() + used, pending.begin() + pendingCount, pending.begin());
    pendingCount -= used;
}

}  // namespace ixo
