#include <gtest/gtest.h>

#include <string>

#include "input/keyboard.h"
#include "input/mouse.h"

namespace ixo {
namespace {

Uint8 buttons = 0;
Uint8 readButtons(int* x, int* y) {
    return *x = 321, *y = -4, buttons;
}

const Uint8 kLeft = SDL_BUTTON(SDL_BUTTON_LEFT), kRight = SDL_BUTTON(SDL_BUTTON_RIGHT);

// Each entry is the button mask seen at one refresh; returns which releases each one reported.
std::string releases(std::initializer_list<Uint8> frames) {
    Mouse::setStateReader(&readButtons);
    Mouse& mouse = Mouse::instance();
    mouse = Mouse();
    std::string seen;
    for (const Uint8 held : frames) {
        buttons = held;
        mouse.refresh();
        seen += mouse.leftReleased() ? (mouse.rightReleased() ? "B" : "L")
                                     : (mouse.rightReleased() ? "R" : ".");
    }
    Mouse::setStateReader(nullptr);
    return seen;
}

TEST(MouseEdges, AReleaseIsSeenInExactlyOneFrameOnlyAfterTheButtonWasSeenDown) {
    EXPECT_EQ(releases({kLeft, kLeft, kLeft, 0, 0, kLeft, 0}), "...L..L");
    EXPECT_EQ(releases({kRight, 0, 0}), ".R.");
    EXPECT_EQ(releases({Uint8(kLeft | kRight), 0}), ".B");
    EXPECT_EQ(releases({0, SDL_BUTTON(SDL_BUTTON_MIDDLE), 0}), "...");
    EXPECT_EQ(Mouse::instance().x, 321);
    EXPECT_EQ(Mouse::instance().y, -4);
}

TEST(KeyboardEdges, CountsAPressOfCOnceEachTimeItIsSeenGoingDown) {
    Keyboard keyboard;
    Uint8 keys[SDLK_LAST] = {};
    std::string seen;
    for (const Uint8 held : {1, 1, 0, 1}) {  // held at the very first look counts as a press
        keys[SDLK_c] = held;
        keyboard.refreshFrom(keys);
        seen += keyboard.keyCPressed ? 'P' : (keyboard.keyCHeld() ? 'h' : '.');
    }
    EXPECT_EQ(seen, "Ph.P");
}

}  // namespace
}  // namespace ixo
