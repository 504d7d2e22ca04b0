#include <filesystem>
#include <string>
#include <tuple>

#include "scene_test_support.h"
#include "util/format.h"

namespace ixo::test {
namespace {

constexpr Rgb kCounts{248, 0, 248};
constexpr Rgb kPlaque{96, 96, 0};

class StandardRendering : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        screen_ = SDL_GetVideoSurface();
        write("bg-standard.jpg", 800, 600, kBackground);
        write("board.jpg", 504, 504, kBoard);
        write("hikari.png", 56, 56, kHighlight);
        write("counts-1p.png", 17 * 18, 16, kCounts);
        write("promotion.png", 112, 56, kPlaque);
        for (int code = 1; code <= 14; ++code) {
            write(formatString("team/sample/1p/%02d.png", code), 40, 50, bluePiece(code));
            write(formatString("team/sample/2p/%02d.png", code), 40, 50, redPiece(code));
        }
    }

    void write(const std::string& path, int width, int height, Rgb c) {
        writePicture("image/" + path, width, height, c.r, c.g, c.b);
    }
    void startFrom(GameScene& scene, const char* sfen) {
        Position position;
        std::string error;
        ASSERT_TRUE(parseSfen(sfen, position, error)) << error;
        scene.resumeStandard(position);
    }
    void expectColours(std::initializer_list<std::tuple<int, int, Rgb>> points) const {
        for (const auto& [x, y, c] : points) {
            const Uint16 shown =
                static_cast<const Uint16*>(screen_->pixels)[y * screen_->pitch / 2 + x];
            EXPECT_EQ(shown, SDL_MapRGB(screen_->format, c.r, c.g, c.b))
                << "at (" << x << ", " << y << ")";
        }
    }

    SDL_Surface* screen_ = nullptr;
};

// Started from the repository root, the data folder is image/ beside the working folder and
// ../image/ is nothing at all: every picture of the standard game, the background and the
// portrait cards included, must come from the folder the game was given.
TEST_F(StandardRendering, AGameStartedAwayFromTheBuildFolderDrawsItsBackgroundAndCards) {
    constexpr Rgb kCard{0, 0, 248};
    write("team/sample/1pcg/13.png", 200, 100, kCard);
    std::filesystem::rename("../image", "image");
    GameScene scene(screen_, "image/");
    startFrom(scene, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
    click(scene, 3, 8);  // a gold
    ASSERT_TRUE(scene.draw());
    EXPECT_EQ(scene.portrait.path(), "image/team/sample/1pcg/13.png");
    expectColours({{2, 2, kBackground}, {795, 5, kCard}});
}

TEST_F(StandardRendering, HandsStandInTheirSlotsAndRedsLightsFallOnTheSquaresItMayReach) {
    GameScene scene(screen_);
    startFrom(scene, "4k4/9/9/9/9/9/9/9/4K4 w 2Gp 1");
    click(scene, 4, 0);  // Red's king, in screen squares as the standard rules keep them
    ASSERT_TRUE(scene.draw());
    const Box gold = handSlot(0, handIndexOf(Gold));
    const Box pawn = handSlot(1, handIndexOf(Pawn));
    expectColours({
        {gold.left + 25, gold.top + 28, bluePiece(Gold)},
        {gold.left + gold.width - 4, gold.top + gold.height - 4, kCounts},  // two golds
        {pawn.left + 25, pawn.top + 28, redPiece(Pawn)},
        {pawn.left + 2, pawn.top + 2, kBackground},  // one pawn has no count
        {squareLeft(4) + 28, squareTop(1) + 28, kHighlight},
        {squareLeft(4) + 28, squareTop(7) + 28, kBoard},
    });
}

TEST_F(StandardRendering, TheChoiceToPromoteShowsThePromotedPieceLeftAndThePieceAsItIsRight) {
    GameScene scene(screen_);
    startFrom(scene, "k8/9/9/4S4/9/9/9/9/4K4 b - 1");
    click(scene, 4, 3);
    click(scene, 4, 2);
    ASSERT_TRUE(scene.draw());
    const Box choice = promotionChoice(4, 2);
    expectColours({
        {choice.left + 28, choice.top + 28, bluePiece(PromotedSilver)},
        {choice.left + 84, choice.top + 28, bluePiece(Silver)},
        {choice.left + 2, choice.top + 54, kPlaque},
    });
}

// Whatever the standard rules add to a frame is part of what draw() compares, so a change of
// it alone is painted, once.
TEST_F(StandardRendering, AChangeOnlyTheStandardRulesShowIsPaintedOnce) {
    GameScene scene(screen_);
    startFrom(scene, "k8/9/9/4S4/9/9/9/9/4K4 b G 1");
    EXPECT_TRUE(scene.draw());
    EXPECT_FALSE(scene.draw());
    auto paintsOnceAfter = [&](const char* change, auto&& act) {
        act();
        EXPECT_TRUE(scene.draw()) << change;
        EXPECT_FALSE(scene.draw()) << change << ", drawn again";
    };
    paintsOnceAfter("a refusal", [&] {
        click(scene, 4, 3);
        scene.draw();
        click(scene, 0, 0);
    });
    paintsOnceAfter("the choice to promote", [&] { click(scene, 4, 2); });
    paintsOnceAfter("a hand", [&] {
        GameRecord record;
        record.rules = RuleSet::Standard;
        record.start = scene.match.position();
        record.start.hands[1][Pawn] = 3;
        std::string error;
        ASSERT_TRUE(scene.match.load(std::move(record), error)) << error;
    });
}

// Blue's hand fills the corner where the simple game shows the mute mark and the record line,
// so under these rules they must stand elsewhere, where nothing paints over them.
TEST_F(StandardRendering, TheMuteMarkAndTheRecordLineShowBesideAFullHand) {
    GameScene scene(screen_);
    startFrom(scene, "4k4/9/9/9/9/9/9/9/4K4 b RBGSNLP 1");
    scene.soundOff = true;
    scene.notRecording = true;
    ASSERT_TRUE(scene.draw());
    const auto lightPixels = [&](int left, int top, int width, int height) {
        int count = 0;
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) {
                Uint8 r, g, b;
                SDL_GetRGB(static_cast<const Uint16*>(screen_->pixels)[y * screen_->pitch / 2 + x],
                           screen_->format, &r, &g, &b);
                count += r > 192 && g > 192 && b > 192 && !(r == 248 && g == 248) ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_GT(lightPixels(0, 560, kBoardLeft, 40), 20);  // the speaker, below Red's hand
    EXPECT_GT(lightPixels(600, 470, 200, 18), 20);       // the line, above Blue's hand
}

}  // namespace
}  // namespace ixo::test
