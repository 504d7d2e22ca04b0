#include <string>

#include "input/keyboard.h"
#include "reliability/scene_driver.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

using reliability::pressKey;

// The panel as the scene draws it over the board: the frames it needs, and none more.
class PanelOverTheBoard : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        writePicture("image/bg.jpg", 800, 600, kBackground.r, kBackground.g, kBackground.b);
        scene_.emplace(SDL_GetVideoSurface());
        scene_->ticks = [this] { return now_; };
    }
    void TearDown() override {
        scene_.reset();
        SceneTest::TearDown();
    }
    GameScene& scene() { return *scene_; }

    Rgb pixel(int x, int y) const {
        const SDL_Surface* screen = SDL_GetVideoSurface();
        const Uint16 value = static_cast<const Uint16*>(screen->pixels)[y * screen->pitch / 2 + x];
        Rgb colour{};
        SDL_GetRGB(value, screen->format, &colour.r, &colour.g, &colour.b);
        return colour;
    }
    // The top-left corner of the panel's frame, in the board's kaya when it is drawn.
    bool panelShown() {
        const Box box = scene().newGamePanel.box();
        const Rgb corner = pixel(box.left, box.top);
        return corner.r > 200 && corner.g > 150 && corner.b < 100;
    }
    void openPanel() {
        pressKey(scene(), SDLK_n);
        now_ += 100;
        pressKey(scene(), SDLK_n);
        ASSERT_TRUE(scene().newGamePanel.isOpen());
    }

    std::optional<GameScene> scene_;
    Uint32 now_ = 1000;
};

TEST_F(PanelOverTheBoard, OpeningChoosingAndClosingEachPaintAFrameAndNothingElseDoes) {
    ASSERT_TRUE(scene().draw());
    openPanel();
    ASSERT_TRUE(scene().draw());
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(scene().notice, "");  // the panel names its own keys
    now_ += 5000;
    pressKey(scene(), SDLK_n);
    EXPECT_FALSE(scene().draw()) << "nothing changed while the panel was open";

    pressKey(scene(), SDLK_3);  // a level, against no computer: nothing to choose
    EXPECT_FALSE(scene().draw());
    const NewGamePanel::Cell* standard = scene().newGamePanel.cellOf(NewGamePanel::Row::Rules, 1);
    ASSERT_NE(standard, nullptr);
    releaseAt(scene(), standard->box.left + 5, standard->box.top + 5, kLeftButton);
    EXPECT_TRUE(scene().draw()) << "a choice shows at once";
    EXPECT_TRUE(panelShown());

    releaseAt(scene(), 400, 300, kRightButton);
    EXPECT_FALSE(scene().newGamePanel.isOpen());
    ASSERT_TRUE(scene().draw());
    EXPECT_FALSE(panelShown()) << "the board comes back whole where the panel was";
    EXPECT_EQ(scene().rules(), RuleSet::Simple);
}

TEST_F(PanelOverTheBoard, StartShowsNoFrameOfTheOldBoardBeforeTheChosenGameBegins) {
    click(scene(), 2, 6);
    click(scene(), 2, 5);
    ASSERT_TRUE(scene().draw());
    openPanel();
    ASSERT_TRUE(scene().draw());
    static const Uint8 noKeysHeld[SDLK_LAST] = {};
    Keyboard::instance().noteKeyDown(SDLK_RETURN);
    Keyboard::instance().refreshFrom(noKeysHeld);
    EXPECT_EQ(scene().update(), GameScene::kBeginChosenGame);
    Keyboard::instance().refreshFrom(noKeysHeld);
    EXPECT_FALSE(scene().draw());
    EXPECT_TRUE(panelShown()) << "the screen keeps the panel until the new game is drawn";

    scene().beginGame(GameRecord{});
    ASSERT_TRUE(scene().draw());
    EXPECT_FALSE(panelShown());
    EXPECT_EQ(scene().match.ply(), 0u);
}

}  // namespace
}  // namespace ixo::test
