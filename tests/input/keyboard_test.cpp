#include <gtest/gtest.h>

#include "input/keyboard.h"

namespace ixo {
namespace {

TEST(KeyboardSnapshot, CountsAPressOfCOnceForEachTimeItGoesDown) {
    Keyboard keyboard;
    Uint8 keys[SDLK_LAST] = {};
    keys[SDLK_c] = 1;  // held at the very first look counts as a press
    keyboard.refreshFrom(keys);
    EXPECT_TRUE(keyboard.keyCPressed);
    keyboard.refreshFrom(keys);
    EXPECT_FALSE(keyboard.keyCPressed);
    EXPECT_TRUE(keyboard.keyCHeld());
    keys[SDLK_c] = 0;
    keyboard.refreshFrom(keys);
    EXPECT_FALSE(keyboard.keyCPressed);
    keys[SDLK_c] = 1;
    keyboard.refreshFrom(keys);
    EXPECT_TRUE(keyboard.keyCPressed);
}

TEST(KeyboardSnapshot, ReadsEachKeyFromItsOwnEntry) {
    const SDLKey order[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_c, SDLK_x, SDLK_z};
    for (const SDLKey held : order) {
        Keyboard keyboard;
        Uint8 keys[SDLK_LAST] = {};
        keys[held] = 1;
        keyboard.refreshFrom(keys);
        const bool levels[] = {keyboard.up,   keyboard.down, keyboard.left, keyboard.right,
                               keyboard.keyC, keyboard.keyX, keyboard.keyZ};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(levels[i], order[i] == held) << held << " " << i;
    }
}

}  // namespace
}  // namespace ixo
