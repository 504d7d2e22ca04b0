#include <gtest/gtest.h>

#include "input/mouse.h"

namespace ixo {
namespace {

Uint8 buttons = 0;
Uint8 readFake(int* x, int* y) {
    *x = 321;
    *y = -4;
    return buttons;
}

class MouseEdges : public ::testing::Test {
  protected:
    void SetUp() override {
        Mouse::setStateReader(&readFake);
        mouse = Mouse();
        buttons = 0;
    }
    void TearDown() override { Mouse::setStateReader(nullptr); }
    void frame(Uint8 held) {
        buttons = held;
        mouse.refresh();
    }
    Mouse& mouse = Mouse::instance();
};

const Uint8 kLeft = SDL_BUTTON(SDL_BUTTON_LEFT), kRight = SDL_BUTTON(SDL_BUTTON_RIGHT);

TEST_F(MouseEdges, AReleaseIsSeenInExactlyOneFrameAfterAnyNumberOfHeldFrames) {
    frame(kLeft);  // already held at the first look: no release yet
    EXPECT_EQ(mouse.leftDown, 1);
    EXPECT_FALSE(mouse.leftReleased());
    for (int i = 0; i < 5; ++i) {
        frame(kLeft);
        EXPECT_FALSE(mouse.leftReleased());
    }
    frame(0);
    EXPECT_TRUE(mouse.leftReleased());
    frame(0);
    EXPECT_FALSE(mouse.leftReleased());
    EXPECT_EQ(mouse.x, 321);
    EXPECT_EQ(mouse.y, -4);
}

TEST_F(MouseEdges, BothButtonsReleasedTogetherAreBothReported) {
    frame(kLeft | kRight);
    frame(0);
    EXPECT_TRUE(mouse.leftReleased());
    EXPECT_TRUE(mouse.rightReleased());
}

TEST_F(MouseEdges, TheMiddleButtonAndClicksBetweenFramesLeaveNoTrace) {
    frame(SDL_BUTTON(SDL_BUTTON_MIDDLE));
    frame(0);  // a press and release between two looks is all the record can see of it
    EXPECT_EQ(mouse.leftDown | mouse.rightDown | mouse.leftWasDown | mouse.rightWasDown, 0);
}

}  // namespace
}  // namespace ixo
