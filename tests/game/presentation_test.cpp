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

}  // namespace
}  // namespace ixo::test
