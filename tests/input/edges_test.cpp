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

// A click whose press and release both fall between two refreshes: the sampled levels never
// see the button down, only the noted events do.
TEST(MouseEdges, ButtonEventsBetweenTwoRefreshesMakeOneReleaseEachAtTheirOwnPosition) {
    Mouse::setStateReader(&readButtons);
    buttons = 0;
    Mouse& mouse = Mouse::instance();
    mouse = Mouse();
    mouse.noteButton(SDL_BUTTON_LEFT, true, 100, 200);
    mouse.noteButton(SDL_BUTTON_LEFT, false, 110, 210);
    mouse.noteButton(SDL_BUTTON_RIGHT, true, 5, 6);
    mouse.noteButton(SDL_BUTTON_RIGHT, false, 7, 8);
    mouse.noteButton(SDL_BUTTON_WHEELUP, true, 0, 0);
    mouse.noteButton(SDL_BUTTON_LEFT, false, 1, 1);  // no press seen: not a click
    std::string seen;
    for (int pass = 0; pass < 4; ++pass) {
        mouse.refresh();
        seen += mouse.leftReleased() ? "L" : (mouse.rightReleased() ? "R" : ".");
        seen += std::to_string(mouse.x) + "," + std::to_string(mouse.y) + " ";
    }
    EXPECT_EQ(seen, "L110,210 R7,8 .321,-4 .321,-4 ");
    EXPECT_FALSE(mouse.hasPendingEvents());
    Mouse::setStateReader(nullptr);
}

// The wheel's steps between two refreshes count for the next one alone, their releases not at
// all, and a flood of them is bounded.
TEST(MouseEdges, WheelStepsCountOnceForTheNextRefresh) {
    Mouse::setStateReader(&readButtons);
    buttons = 0;
    Mouse& mouse = Mouse::instance();
    mouse = Mouse();
    for (int step = 0; step < 3; ++step) {
        mouse.noteButton(SDL_BUTTON_WHEELDOWN, true, 0, 0);
        mouse.noteButton(SDL_BUTTON_WHEELDOWN, false, 0, 0);
    }
    mouse.noteButton(SDL_BUTTON_WHEELUP, true, 0, 0);
    mouse.refresh();
    EXPECT_EQ(mouse.wheelSteps(), 2);
    EXPECT_FALSE(mouse.leftReleased());
    mouse.refresh();
    EXPECT_EQ(mouse.wheelSteps(), 0);
    for (int step = 0; step < 100000; ++step) {
        mouse.noteButton(SDL_BUTTON_WHEELUP, true, 0, 0);
    }
    mouse.refresh();
    EXPECT_EQ(mouse.wheelSteps(), -1000);
    Mouse::setStateReader(nullptr);
}

// An enlarged frame: window pixels map back by floor division, the band left of and above a
// centred frame to negative positions rather than onto the first column and row.
TEST(MouseEdges, WindowPositionsMapBackToFramePixelsByFloorDivision) {
    Mouse::setStateReader(&readButtons);
    buttons = 0;
    Mouse& mouse = Mouse::instance();
    mouse = Mouse();
    mouse.setWindowMapping(3, 10, 20);
    mouse.refresh();
    EXPECT_EQ(mouse.x, 103);  // (321 - 10) / 3
    EXPECT_EQ(mouse.y, -8);   // (-4 - 20) / 3
    mouse.noteButton(SDL_BUTTON_LEFT, true, 0, 0);
    mouse.noteButton(SDL_BUTTON_LEFT, false, 12, 22);
    mouse.refresh();
    EXPECT_TRUE(mouse.leftReleased());
    EXPECT_EQ(mouse.x, 0);
    EXPECT_EQ(mouse.y, 0);
    mouse.noteButton(SDL_BUTTON_LEFT, true, 0, 0);
    mouse.noteButton(SDL_BUTTON_LEFT, false, 9, 19);
    mouse.refresh();
    EXPECT_EQ(mouse.x, -1);
    EXPECT_EQ(mouse.y, -1);
    mouse = Mouse();
    Mouse::setStateReader(nullptr);
}

TEST(KeyboardEdges, EveryKeyDownIsCountedForExactlyTheNextRefresh) {
    Keyboard keyboard;
    const Uint8 keys[SDLK_LAST] = {};
    keyboard.noteKeyDown(SDLK_u);
    keyboard.noteKeyDown(SDLK_u);
    keyboard.noteKeyDown(SDLKey(-1));
    keyboard.noteKeyDown(SDLK_LAST);
    EXPECT_EQ(keyboard.presses(SDLK_u), 0);
    keyboard.refreshFrom(keys);
    EXPECT_EQ(keyboard.presses(SDLK_u), 2);
    EXPECT_EQ(keyboard.presses(SDLK_r), 0);
    keyboard.refreshFrom(keys);
    EXPECT_EQ(keyboard.presses(SDLK_u), 0);
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
