#pragma once

#include <array>
#include <cstdint>

#include "SDL.h"

namespace ixo {

// The pointer and the left and right button levels at the latest refresh and the one
// before, from which a release edge is seen in exactly one frame.
//
// Levels are sampled once a pass, which alone would miss a click whose press and release
// both fall between two samples (a touchpad tap, a remote desktop, a busy machine). So the
// button events that the main loop sees are noted too, and a refresh replays them first.
struct Mouse {
    // Where refresh() reads the pointer; SDL_GetMouseState unless a test or a fuzzer
    // substitutes its own, since SDL 1.2 offers no way to set button levels without a display.
    using StateReader = Uint8 (*)(int* x, int* y);

    struct ButtonEvent {
        std::uint8_t button;  // SDL_BUTTON_LEFT or SDL_BUTTON_RIGHT
        bool pressed;
        std::int32_t x;
        std::int32_t y;
    };
    // A pass takes at most one release from here; more than this many unread button changes
    // can only come from a flood, and the newest of those are dropped.
    static constexpr int kPendingLimit = 32;

    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint8_t leftDown = 0;
    std::uint8_t rightDown = 0;
    std::uint8_t leftWasDown = 0;
    std::uint8_t rightWasDown = 0;
    std::array<ButtonEvent, kPendingLimit> pending{};
    int pendingCount = 0;

    static Mouse& instance();
    static void setStateReader(StateReader reader);  // nullptr restores SDL_GetMouseState

    // Where the frame lies in the window: its top-left corner at (originX, originY), each frame
    // pixel a block of scale x scale window pixels. Positions are then given in frame pixels,
    // rounded down, so a click anywhere in a block is a click on that one frame pixel.
    void setWindowMapping(int scale, int originX, int originY);

    // A press or release of the left or right button as SDL reported it, or a step of the
    // wheel (SDL 1.2 reports each as a press of button 4 or 5); other buttons are ignored.
    void noteButton(std::uint8_t button, bool pressed, std::int32_t x, std::int32_t y);
    bool hasPendingEvents() const { return pendingCount > 0; }

    void refresh();
    bool leftReleased() const { return leftDown == 0 && leftWasDown != 0; }
    bool rightReleased() const { return rightDown == 0 && rightWasDown != 0; }
    // Steps of the wheel since the refresh before: positive toward the player (down a list).
    int wheelSteps() const { return wheel_; }

  private:
    void replayPending();
    std::int32_t frameX(std::int32_t windowX) const;
    std::int32_t frameY(std::int32_t windowY) const;

    int wheel_ = 0;
    int pendingWheel_ = 0;
    int scale_ = 1;
    int originX_ = 0;
    int originY_ = 0;
};

}  // namespace ixo
