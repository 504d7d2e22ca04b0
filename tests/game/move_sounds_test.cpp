#include <vector>

#include "game/move_sounds.h"
#include "input/keyboard.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

struct HeardSounds : SoundPlayer {
    void play(Sound sound) override { heard.push_back(sound); }
    std::vector<Sound> heard;
};

class MoveSoundsTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.observers.push_back(&sounds_);
    }
    const std::vector<Sound>& heard() const { return player_.heard; }

    HeardSounds player_;
    MoveSounds sounds_{player_};
    GameScene scene_{nullptr};
};

TEST_F(MoveSoundsTest, OnlyMovesAreHeardEachOnceAndACaptureSoundsHeavier) {
    click(scene_, 2, 6);                // select
    click(scene_, 2, 6, kRightButton);  // cancel
    click(scene_, 4, 4);                // an empty square selects nothing
    click(scene_, 1, 7);                // the boxed-in bishop cannot be selected
    click(scene_, 2, 6);
    click(scene_, 2, 4);  // out of the pawn's reach
    click(scene_, 3, 6);  // another own piece
    EXPECT_TRUE(heard().empty());

    click(scene_, 2, 5);
    frame(scene_, squareLeft(2), squareTop(5), 0);  // a later frame does not repeat it
    EXPECT_EQ(heard(), std::vector<Sound>{Sound::Move});

    click(scene_, 6, 2);  // Red opens the diagonal
    click(scene_, 6, 3);
    click(scene_, 1, 7);  // Blue's bishop takes Red's
    click(scene_, 7, 1);
    EXPECT_EQ(heard(), (std::vector<Sound>{Sound::Move, Sound::Move, Sound::Capture}));
}

TEST_F(MoveSoundsTest, ATakeBackSoundsSoftAndAReplaySoundsAsTheMoveFirstDid) {
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    click(scene_, 6, 2);
    click(scene_, 6, 3);
    click(scene_, 1, 7);
    click(scene_, 7, 1);  // Blue's bishop takes Red's
    player_.heard.clear();
    for (SDLKey key : {SDLK_u, SDLK_r}) {
        Keyboard::instance().noteKeyDown(key);
        Keyboard::instance().refresh();
        frame(scene_, 0, 0, 0);
    }
    Keyboard::instance().refresh();
    EXPECT_EQ(heard(), (std::vector<Sound>{Sound::TakeBack, Sound::Capture}));
}

}  // namespace
}  // namespace ixo::test
