#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/presenter.h"
#include "input/keyboard.h"
#include "scene_test_support.h"
#include "util/format.h"

namespace ixo::test {
namespace {

// The game's scene drawn into a presenter's frame, shown enlarged in a window of our own, so
// that what the presenter sends can be checked against the pixels that really changed.
class Presentation : public SceneTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        writeArtwork();
        const SDL_PixelFormat* format = SDL_GetVideoSurface()->format;
        const int scale = GetParam();
        window_ =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 800 * scale, 600 * scale, format->BitsPerPixel,
                                 format->Rmask, format->Gmask, format->Bmask, format->Amask);
        ASSERT_NE(window_, nullptr);
        presenter_.emplace(window_, 800, 600, scale, 0, 0);
        ASSERT_NE(presenter_->frame(), nullptr);
        before_ = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, format->BitsPerPixel, format->Rmask,
                                       format->Gmask, format->Bmask, 0);
    }
    void TearDown() override {
        presenter_.reset();
        SDL_FreeSurface(before_);
        SDL_FreeSurface(window_);
        SceneTest::TearDown();
    }

    void writeArtwork() {
        writePicture("image/bg.jpg", 800, 600, 40, 40, 40);
        writePicture("image/board.jpg", 504, 504, 200, 160, 80);
        for (int code = 1; code <= 14; ++code) {
            const auto shade = static_cast<Uint8>(8 * code);
            writePicture(formatString("image/team/sample/1p/%02d.png", code), 40, 50, shade, 248,
                         248);
            writePicture(formatString("image/team/sample/2p/%02d.png", code), 40, 50, 248, 248,
                         shade);
        }
        writePicture("image/kager.png", 48, 30, 160, 0, 80);
        writePicture("image/kageb.png", 48, 30, 0, 80, 160);
        writePicture("image/hikari.png", 56, 56, 0, 248, 0);
        writePicture("image/team/sample/1pcg/01.png", 200, 100, 0, 0, 248);
        writePicture("image/team/sample/2pcg/01.png", 200, 100, 248, 0, 0);
    }

    static Uint16 at(const SDL_Surface* surface, int x, int y) {
        return static_cast<const Uint16*>(surface->pixels)[y * surface->pitch / 2 + x];
    }

    // Draws the scene's next frame and presents it, then checks that the rectangles sent hold
    // every pixel that changed and are cut down to them, and that the window shows the frame.
    void presentAndCheck(GameScene& scene, const char* what) {
        SCOPED_TRACE(what);
        SDL_Surface* frame = presenter_->frame();
        SDL_BlitSurface(frame, nullptr, before_, nullptr);
        ASSERT_TRUE(scene.draw());
        presenter_->present(false);
        const std::vector<SDL_Rect>& sent = presenter_->sentRects();
        ASSERT_FALSE(sent.empty());

        std::vector<int> cover(800 * 600, 0);
        for (const SDL_Rect& rect : sent) {
            bool top = false, bottom = false, left = false, right = false;
            for (int y = rect.y; y < rect.y + rect.h; ++y) {
                for (int x = rect.x; x < rect.x + rect.w; ++x) {
                    ++cover[y * 800 + x];
                    if (at(frame, x, y) != at(before_, x, y)) {
                        top |= y == rect.y;
                        bottom |= y == rect.y + rect.h - 1;
                        left |= x == rect.x;
                        right |= x == rect.x + rect.w - 1;
                    }
                }
            }
            EXPECT_TRUE(top && bottom && left && right)
                << "a rectangle reaches past the changes at " << rect.x << "," << rect.y << " "
                << rect.w << "x" << rect.h;
        }
        int uncovered = 0, overlapping = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                uncovered += at(frame, x, y) != at(before_, x, y) && cover[y * 800 + x] == 0;
                overlapping += cover[y * 800 + x] > 1;
            }
        }
        EXPECT_EQ(uncovered, 0);
        EXPECT_EQ(overlapping, 0);

        const int scale = GetParam();
        int wrong = 0;
        for (int y = 0; y < 600 * scale; ++y) {
            for (int x = 0; x < 800 * scale; ++x) {
                wrong += at(window_, x, y) != at(frame, x / scale, y / scale);
            }
        }
        EXPECT_EQ(wrong, 0) << "window pixels that are not their frame pixel";
    }

    SDL_Surface* window_ = nullptr;
    SDL_Surface* before_ = nullptr;
    std::optional<Presenter> presenter_;
};

TEST_P(Presentation, SendsExactlyWhatASelectACancelAMoveAndATakeBackChange) {
    GameScene scene(presenter_->frame());
    ASSERT_TRUE(scene.draw());
    presenter_->present(true);
    ASSERT_EQ(presenter_->sentRects().size(), 1u);

    click(scene, 2, 6);
    presentAndCheck(scene, "a pawn selected");
    click(scene, 4, 4, kRightButton);
    presentAndCheck(scene, "the selection cancelled");
    click(scene, 2, 6);
    click(scene, 2, 5);
    presentAndCheck(scene, "the pawn moved, Red to move");
    Keyboard::instance().noteKeyDown(SDLK_u);
    Keyboard::instance().refresh();
    scene.update();
    presentAndCheck(scene, "the move taken back");
    Keyboard::instance().refresh();

    // A frame equal to the one shown sends nothing at all.
    scene.invalidate();
    ASSERT_TRUE(scene.draw());
    presenter_->present(false);
    EXPECT_TRUE(presenter_->sentRects().empty());
}

INSTANTIATE_TEST_SUITE_P(AtScale, Presentation, ::testing::Values(1, 2));

// The game's settings for SDL 2 must reach neither classic SDL nor a full screen, where
// sdl12-compat may stretch the frame, and must never override what the user set.
TEST(PresentationHints, OnlyACompatWindowGetsThemAndTheUsersOwnSettingWins) {
    const SDL_version classic{1, 2, 15};
    const SDL_version compat{1, 2, 60};
    EXPECT_TRUE(presentationHints(classic, false).empty());
    EXPECT_TRUE(presentationHints(compat, true).empty());

    const char* names[] = {"SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    applyPresentationHints(classic, false);
    EXPECT_EQ(std::getenv("SDL_RENDER_DRIVER"), nullptr);
    EXPECT_EQ(std::getenv("SDL_FRAMEBUFFER_ACCELERATION"), nullptr);

    setenv("SDL_RENDER_DRIVER", "opengl", 1);
    applyPresentationHints(compat, false);
    EXPECT_STREQ(std::getenv("SDL_RENDER_DRIVER"), "opengl");
    ASSERT_NE(std::getenv("SDL_FRAMEBUFFER_ACCELERATION"), nullptr);
    EXPECT_STREQ(std::getenv("SDL_FRAMEBUFFER_ACCELERATION"), "0");

    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) {
            setenv(names[i], saved[i]->c_str(), 1);
        } else {
            unsetenv(names[i]);
        }
    }
}

// sdl12-compat may hold an update of part of the screen until a later pump; the loop must be
// told to come back for it, and only for as long as it can be held. Classic SDL holds none.
TEST(PresentationOnScreen, AnUpdateSdlMayHoldAsksForAPumpSoon) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    Presenter presenter(screen, screen->w, screen->h, 1, 0, 0);
    ASSERT_EQ(presenter.frame(), screen);
    presenter.present(true);
    EXPECT_EQ(presenter.pumpWithinMs(), -1) << "a whole frame shows at once";

    const SDL_Rect square{100, 100, 56, 56};
    SDL_FillRect(screen, const_cast<SDL_Rect*>(&square), SDL_MapRGB(screen->format, 250, 0, 0));
    presenter.present(false);
    ASSERT_EQ(presenter.sentRects().size(), 1u);
    const SDL_version* linked = SDL_Linked_Version();
    if (linked->patch >= 50) {
        EXPECT_GE(presenter.pumpWithinMs(), 0);
        EXPECT_LE(presenter.pumpWithinMs(), 4);
        SDL_Delay(30);
    }
    EXPECT_EQ(presenter.pumpWithinMs(), -1);
}

}  // namespace
}  // namespace ixo::test
