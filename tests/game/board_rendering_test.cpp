#include <cstring>

#include "app/format.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

struct Rgb {
    Uint8 r, g, b;
};

// Every picture a colour of its own, so a pixel tells which picture lies on top there. The
// steps of 8 survive the 5- and 6-bit channels of the 16-bit screen.
constexpr Rgb kBackground{40, 40, 40};
constexpr Rgb kBoard{200, 160, 80};
constexpr Rgb kBlueShadow{0, 80, 160};
constexpr Rgb kRedShadow{160, 0, 80};
constexpr Rgb kHighlight{0, 248, 0};
constexpr Rgb kBluePortrait{0, 0, 248};
constexpr Rgb kRedPortrait{248, 0, 0};
constexpr Rgb bluePiece(int code) {
    return {static_cast<Uint8>(8 * code), 248, 248};
}
constexpr Rgb redPiece(int code) {
    return {248, 248, static_cast<Uint8>(8 * code)};
}

class BoardRendering : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        screen_ = SDL_GetVideoSurface();
        ASSERT_NE(screen_, nullptr);
        ASSERT_EQ(screen_->format->BytesPerPixel, 2);
    }

    void writeArtwork() const {
        write("image/bg.jpg", 800, 600, kBackground);
        write("image/board.jpg", 504, 504, kBoard);
        for (int code = 1; code <= 14; ++code) {
            write(formatString("image/team/sample/1p/%02d.png", code), 40, 50, bluePiece(code));
            write(formatString("image/team/sample/2p/%02d.png", code), 40, 50, redPiece(code));
        }
        write("image/kager.png", 48, 30, kRedShadow);
        write("image/kageb.png", 48, 30, kBlueShadow);
        write("image/hikari.png", 56, 56, kHighlight);
        write("image/team/sample/1pcg/01.png", 200, 100, kBluePortrait);
        write("image/team/sample/2pcg/01.png", 200, 100, kRedPortrait);
    }

    void write(const std::string& path, int width, int height, Rgb colour) const {
        tree_.writePicture(path, width, height, colour.r, colour.g, colour.b);
    }

    Uint16 pixel(int x, int y) const {
        const auto* row = static_cast<const Uint8*>(screen_->pixels) + y * screen_->pitch;
        return reinterpret_cast<const Uint16*>(row)[x];
    }
    Uint16 colour(Rgb rgb) const {
        return static_cast<Uint16>(SDL_MapRGB(screen_->format, rgb.r, rgb.g, rgb.b));
    }
    void expectColour(int x, int y, Rgb rgb) const {
        EXPECT_EQ(pixel(x, y), colour(rgb)) << "at (" << x << ", " << y << ")";
    }
    void expectNotColour(int x, int y, Rgb rgb) const {
        EXPECT_NE(pixel(x, y), colour(rgb)) << "at (" << x << ", " << y << ")";
    }
    void paint(Rgb rgb) { SDL_FillRect(screen_, nullptr, colour(rgb)); }

    SDL_Surface* screen_ = nullptr;
};

TEST_F(BoardRendering, TheStartPositionShowsEveryPieceOnItsShadowAndNoSelection) {
    writeArtwork();
    GameScene scene(screen_);
    paint({1, 2, 3});
    EXPECT_TRUE(scene.draw());

    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            const Cell cell = scene.board.cellAt(column, row);
            // The middle of where a 40 x 50 picture stands in that square.
            const int x = 92 + 56 * column;
            const int y = 75 + 56 * row;
            SCOPED_TRACE(::testing::Message() << "square " << column << ", " << row);
            if (cell.piece == Empty) {
                expectColour(x, y, kBoard);
            } else {
                expectColour(x, y, cell.owner == 1 ? redPiece(cell.piece) : bluePiece(cell.piece));
            }
        }
    }
    // Column 0, row 0: the lance from (72, 50) to (111, 99), its shadow from (68, 83) down.
    expectColour(72, 50, redPiece(Lance));
    expectColour(111, 99, redPiece(Lance));
    expectColour(71, 50, kBoard);
    expectColour(72, 49, kBoard);
    expectColour(68, 83, kRedShadow);
    expectColour(68, 82, kBoard);
    expectColour(90, 112, kRedShadow);
    expectColour(90, 113, kBoard);
    expectColour(115, 100, kRedShadow);
    expectColour(116, 100, kBoard);
    // Blue's king at column 4, row 8 and its shadow.
    expectColour(296, 498, bluePiece(King));
    expectColour(293, 540, kBlueShadow);
    // The board picture's corners and the background around it; no portrait, no highlight.
    expectColour(64, 48, kBoard);
    expectColour(567, 551, kBoard);
    expectColour(63, 48, kBackground);
    expectColour(568, 551, kBackground);
    expectColour(600, 0, kBackground);
    expectColour(799, 99, kBackground);
    expectColour(288, 328, kBoard);
}

TEST_F(BoardRendering, ASelectionLightsItsSquaresAndShowsThePortraitOnlyWhileItLasts) {
    writeArtwork();
    GameScene scene(screen_);
    leftClick(scene, 4, 6);
    ASSERT_EQ(scene.portrait.width(), 200);
    scene.draw();
    // The square of column 4, row 5, and only that one.
    expectColour(288, 328, kHighlight);
    expectColour(343, 383, kHighlight);
    expectColour(287, 328, kBoard);
    expectColour(288, 327, kBoard);
    expectColour(288, 216, kBoard);
    // The portrait's right edge on the window's, its top on the window's top.
    expectColour(600, 0, kBluePortrait);
    expectColour(799, 99, kBluePortrait);
    expectColour(599, 0, kBackground);
    expectColour(600, 100, kBackground);

    rightClick(scene, 4, 6);
    ASSERT_EQ(scene.portrait.width(), 200);
    scene.draw();
    expectColour(288, 328, kBoard);
    expectColour(600, 0, kBackground);
}

TEST_F(BoardRendering, RedsHighlightsAreMirroredBackToTheScreen) {
    writeArtwork();
    GameScene scene(screen_);
    leftClick(scene, 4, 6);
    leftClick(scene, 4, 5);
    ASSERT_EQ(scene.turn, 1);
    leftClick(scene, 4, 2);
    ASSERT_TRUE(scene.moveMap.isMarked(4, 5));
    scene.draw();
    // Flipped row 5 is screen row 3, in front of Red's pawn.
    expectColour(288, 216, kHighlight);
    expectColour(343, 271, kHighlight);
    expectColour(288, 328, kBoard);
    expectColour(600, 0, kRedPortrait);

    leftClick(scene, 4, 3);
    scene.draw();
    expectColour(600, 0, kBackground);
    expectColour(288, 216, kBoard);
}

TEST_F(BoardRendering, NoShadowCoversAPieceEvenWhereATallShadowReachesIntoTheSquareAbove) {
    writeArtwork();
    write("image/kageb.png", 48, 120, kBlueShadow);
    GameScene scene(screen_);
    // In column 1 the shadows of rows 7 and 8 reach up into the pictures of the pawn (y 386
    // to 435) and the bishop (y 442 to 491) standing above them.
    scene.draw();
    expectColour(140, 433, bluePiece(Pawn));
    expectColour(140, 488, bluePiece(Bishop));
    expectColour(140, 494, kBlueShadow);
}

TEST_F(BoardRendering, EachPieceIsDrawnWithThePictureOfItsCodeAndOwner) {
    writeArtwork();
    GameScene scene(screen_);
    scene.board.place(4, 4, PromotedRook, 1);
    scene.board.place(3, 4, PromotedPawn, 0);
    scene.draw();
    expectColour(316, 300, redPiece(PromotedRook));
    expectColour(260, 300, bluePiece(PromotedPawn));
}

TEST_F(BoardRendering, TheLabelNamesTheSideToMove) {
    GameScene scene(screen_);
    auto labelArea = [&] {
        paint(kBackground);
        scene.draw();
        std::string pixels;
        for (int y = 50; y < 82; ++y) {
            const auto* row = static_cast<const char*>(screen_->pixels) + y * screen_->pitch;
            pixels.append(row + 650 * 2, 60 * 2);
        }
        return pixels;
    };
    const std::string blue = labelArea();
    scene.turn = 1;
    const std::string red = labelArea();
    scene.turn = 7;
    EXPECT_NE(blue, red);
    EXPECT_EQ(labelArea(), red);
}

TEST_F(BoardRendering, WithoutPicturesAFrameHoldsOnlyTheLabel) {
    GameScene scene(screen_);
    leftClick(scene, 4, 6);
    ASSERT_EQ(scene.selected.piece, Pawn);
    paint(kBackground);
    EXPECT_TRUE(scene.draw());
    int changedInside = 0;
    int changedOutside = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            if (pixel(x, y) == colour(kBackground)) {
                continue;
            }
            // "Blue": four 16 x 32 cells, 10 pixels apart, from (650, 50).
            const bool inLabel = x >= 650 && x < 696 && y >= 50 && y < 82;
            ++(inLabel ? changedInside : changedOutside);
        }
    }
    EXPECT_GT(changedInside, 0);
    EXPECT_EQ(changedOutside, 0);
}

}  // namespace
}  // namespace ixo::test
