#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "input/mouse.h"
#include "scene_test_support.h"
#include "util/format.h"

namespace ixo::test {
namespace {

constexpr Rgb kBlueShadow{0, 80, 160};
constexpr Rgb kRedShadow{160, 0, 80};
constexpr Rgb kBluePortrait{0, 0, 248};
constexpr Rgb kRedPortrait{248, 0, 0};

class BoardRendering : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        screen_ = SDL_GetVideoSurface();
        ASSERT_EQ(screen_->format->BytesPerPixel, 2);
    }

    void write(const std::string& path, int width, int height, Rgb c) {
        writePicture("image/" + path, width, height, c.r, c.g, c.b);
    }
    // Pieces 40 x 50, shadows 48 x 30, portraits 200 x 100.
    void writeArtwork() {
        write("bg.jpg", 800, 600, kBackground);
        write("board.jpg", 504, 504, kBoard);
        for (int code = 1; code <= 14; ++code) {
            write(formatString("team/sample/1p/%02d.png", code), 40, 50, bluePiece(code));
            write(formatString("team/sample/2p/%02d.png", code), 40, 50, redPiece(code));
        }
        write("kager.png", 48, 30, kRedShadow);
        write("kageb.png", 48, 30, kBlueShadow);
        write("hikari.png", 56, 56, kHighlight);
        write("team/sample/1pcg/01.png", 200, 100, kBluePortrait);
        write("team/sample/2pcg/01.png", 200, 100, kRedPortrait);
    }

    Uint16 pixel(int x, int y) const {
        return static_cast<const Uint16*>(screen_->pixels)[y * screen_->pitch / 2 + x];
    }
    Uint16 colour(Rgb c) const {
        return static_cast<Uint16>(SDL_MapRGB(screen_->format, c.r, c.g, c.b));
    }
    // Each point given as x, y and the picture expected on top there.
    void expectColours(std::initializer_list<std::tuple<int, int, Rgb>> points) const {
        for (const auto& [x, y, c] : points) {
            EXPECT_EQ(pixel(x, y), colour(c)) << "at (" << x << ", " << y << ")";
        }
    }
    void paint(Rgb c) { SDL_FillRect(screen_, nullptr, colour(c)); }

    SDL_Surface* screen_ = nullptr;
};

TEST_F(BoardRendering, EveryPieceStandsOnItsShadowWithThePictureOfItsCodeAndOwner) {
    writeArtwork();
    GameScene scene(screen_);
    ASSERT_TRUE(
        reliability::changePosition(scene, [](Board& b) { b.place(4, 4, PromotedRook, 1); }));
    paint({1, 2, 3});
    EXPECT_TRUE(scene.draw());
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            const Cell cell = scene.board().cellAt(column, row);
            const Rgb expected = cell.piece == Empty ? kBoard
                                 : cell.owner == 1   ? redPiece(cell.piece)
                                                     : bluePiece(cell.piece);
            // The middle of where a 40 x 50 picture stands.
            expectColours({{92 + 56 * column, 75 + 56 * row, expected}});
        }
    }
    // Column 0, row 0: the lance from (72, 50) to (111, 99), its shadow from (68, 83) to
    // (115, 112); then Blue's king on column 4, row 8 and its shadow.
    expectColours({{72, 50, redPiece(Lance)},
                   {111, 99, redPiece(Lance)},
                   {71, 50, kBoard},
                   {72, 49, kBoard},
                   {68, 83, kRedShadow},
                   {68, 82, kBoard},
                   {115, 112, kRedShadow},
                   {116, 112, kBoard},
                   {68, 113, kBoard},
                   {296, 498, bluePiece(King)},
                   {292, 531, kBlueShadow},
                   {291, 531, kBoard},
                   {64, 48, kBoard},
                   {567, 551, kBoard},
                   {63, 48, kBackground},
                   {568, 552, kBackground},
                   {600, 0, kBackground},
                   {799, 99, kBackground}});
}

// F turns the view only: each piece is drawn at the other end in its own side's colours, and
// a click on a shown square acts on the board's square under it.
TEST_F(BoardRendering, TurnedTheBoardShowsEveryPieceAtTheOtherEndAndClicksFollowIt) {
    writeArtwork();
    GameScene scene(screen_);
    scene.setTurned(true);
    paint({1, 2, 3});
    EXPECT_TRUE(scene.draw());
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            const Cell cell = scene.board().cellAt(8 - column, 8 - row);
            const Rgb expected = cell.piece == Empty ? kBoard
                                 : cell.owner == 1   ? redPiece(cell.piece)
                                                     : bluePiece(cell.piece);
            expectColours({{92 + 56 * column, 75 + 56 * row, expected}});
        }
    }
    // Red's lance of column 0, row 0 stands on its own shadow at column 8, row 8.
    expectColours({{68 + 56 * 8, 83 + 56 * 8, kRedShadow}});
    click(scene, 2, 2);
    EXPECT_EQ(scene.selected.piece, Pawn);
    EXPECT_EQ(scene.selected.column, 6);
    EXPECT_EQ(scene.selected.row, 6);
    // The highlight of the pawn's step, board row 5, is shown at row 3.
    EXPECT_TRUE(scene.draw());
    expectColours({{64 + 56 * 2 + 2, 48 + 56 * 3 + 2, kHighlight}});
    scene.setTurned(false);
    EXPECT_EQ(scene.board().cellAt(6, 6).piece, Pawn);
}

TEST_F(BoardRendering, NoShadowCoversAPieceEvenWhereATallShadowReachesIntoTheSquareAbove) {
    writeArtwork();
    write("kageb.png", 48, 120, kBlueShadow);
    GameScene scene(screen_);
    scene.draw();
    // In column 1 the shadows of rows 7 and 8 reach up into the pawn (y 386 to 435) and the
    // bishop (y 442 to 491) standing above them.
    expectColours(
        {{140, 433, bluePiece(Pawn)}, {140, 488, bluePiece(Bishop)}, {140, 494, kBlueShadow}});
}

// A board that update() never makes, as a fuzzer or a bad edit might leave it: codes without
// a picture must not reach past the picture arrays into the neighbouring fields.
TEST_F(BoardRendering, ACodeWithoutAPictureDrawsOnlyItsShadow) {
    writeArtwork();
    GameScene scene(screen_);
    ASSERT_TRUE(reliability::changePosition(scene, [](Board& b) {
        b.cells[8 * 9 + 8] = Cell{-1, 0, 8, 8};  // bluePieces[-1] would be the board
        b.cells[4 * 9 + 4] = Cell{15, 1, 4, 4};
    }));
    scene.draw();
    expectColours({{700, 300, kBackground}, {316, 299, kBoard}, {324, 320, kRedShadow}});
}

TEST_F(BoardRendering, ASelectionShowsItsHighlightsAndPortraitOnlyWhileItLasts) {
    writeArtwork();
    GameScene scene(screen_);
    click(scene, 4, 6);
    scene.draw();
    // Column 4, row 5 lit; the portrait's right and top edges on the window's.
    expectColours({{288, 328, kHighlight},
                   {343, 383, kHighlight},
                   {287, 328, kBoard},
                   {288, 327, kBoard},
                   {600, 0, kBluePortrait},
                   {799, 99, kBluePortrait},
                   {599, 0, kBackground},
                   {600, 100, kBackground}});
    click(scene, 4, 6, kRightButton);
    ASSERT_EQ(scene.portrait.width(), 200);
    scene.draw();
    expectColours({{288, 328, kBoard}, {600, 0, kBackground}});

    // Red's map is kept upside down: its pawn's step to flipped row 5 lights screen row 3.
    click(scene, 4, 6);
    click(scene, 4, 5);
    click(scene, 4, 2);
    ASSERT_TRUE(scene.moveMap.isMarked(4, 5));
    scene.draw();
    expectColours({{288, 216, kHighlight},
                   {343, 271, kHighlight},
                   {288, 328, kBoard},
                   {600, 0, kRedPortrait}});
    click(scene, 4, 3);
    scene.draw();
    expectColours({{288, 216, kBoard}, {600, 0, kBackground}});
}

TEST_F(BoardRendering, WithoutPicturesAFrameHoldsOnlyTheLabelOfTheSideToMove) {
    GameScene scene(screen_);
    click(scene, 4, 6);
    ASSERT_EQ(scene.selected.piece, Pawn);
    auto frameOutsideAndInsideLabel = [&] {
        paint(kBackground);
        scene.invalidate();  // the screen was painted over behind the scene's back
        EXPECT_TRUE(scene.draw());
        std::string outside;
        std::string label;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                // Four 16 x 32 cells, 10 pixels apart, from (650, 50).
                const bool inLabel = x >= 650 && x < 696 && y >= 50 && y < 82;
                (inLabel ? label : outside) += pixel(x, y) == colour(kBackground) ? '.' : '#';
            }
        }
        EXPECT_EQ(outside.find('#'), std::string::npos);
        return label;
    };
    const std::string blue = frameOutsideAndInsideLabel();
    EXPECT_NE(blue.find('#'), std::string::npos);
    ASSERT_TRUE(reliability::changePosition(
        scene, [](Board&) {}, 1));
    const std::string red = frameOutsideAndInsideLabel();
    EXPECT_NE(red, blue);
}

// A frame is painted when anything it is drawn from changed, by whatever means, and only then;
// a frame that is not painted leaves the screen alone.
TEST_F(BoardRendering, AFrameIsPaintedOnceForEachChangeOfWhatItShows) {
    writeArtwork();
    write("team/sample/1pcg/07.png", 200, 100, kRedPortrait);
    GameScene scene(screen_);
    EXPECT_TRUE(scene.draw());
    frame(scene, 300, 300, 0);  // the pointer moves, nothing is clicked
    paint({1, 2, 3});
    EXPECT_FALSE(scene.draw());
    expectColours({{700, 300, {1, 2, 3}}});

    auto paintsOnceAfter = [&](const char* change, auto&& act) {
        act();
        EXPECT_TRUE(scene.draw()) << change;
        EXPECT_FALSE(scene.draw()) << change << ", drawn again";
    };
    paintsOnceAfter("select", [&] { click(scene, 4, 6); });
    paintsOnceAfter("cancel", [&] { click(scene, 4, 4, kRightButton); });
    paintsOnceAfter("a piece put back", [&] {
        reliability::changePosition(scene, [](Board& b) { b.place(4, 6, Empty, 0); });
    });
    paintsOnceAfter("an empty square turned Red", [&] {
        reliability::changePosition(scene, [](Board& b) { b.cells[40].owner = 1; });
    });
    paintsOnceAfter("the turn passed", [&] {
        reliability::changePosition(
            scene, [](Board&) {}, 1);
    });
    paintsOnceAfter("a highlight", [&] { scene.moveMap.marks[0] = 1; });
    paintsOnceAfter("a selection", [&] { scene.selected.piece = Lance; });
    paintsOnceAfter("a new portrait",
                    [&] { scene.portrait.load("../image/team/sample/1pcg/07.png"); });
    paintsOnceAfter("invalidate", [&] { scene.invalidate(); });
    // A portrait is not part of a frame without a selection.
    scene.selected.piece = -1;
    EXPECT_TRUE(scene.draw());
    scene.portrait.free();
    EXPECT_FALSE(scene.draw());
}

// The background is converted to the screen's format once; the frame must not show it.
TEST_F(BoardRendering, TheBackgroundHeldInTheScreenFormatShowsTheFilesOwnPixels) {
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(picture, nullptr);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            Uint8* at = static_cast<Uint8*>(picture->pixels) + y * picture->pitch + 3 * x;
            at[0] = Uint8(x * 7 + y);  // every value of every channel somewhere
            at[1] = Uint8(y * 3 + x / 5);
            at[2] = Uint8(x ^ y);
        }
    }
    write("board.jpg", 1, 1, kBoard);  // makes the folder
    ASSERT_EQ(SDL_SaveBMP(picture, "../image/bg.jpg"), 0);
    SDL_FreeSurface(picture);

    auto besideTheBoardBelowTheLabel = [&] {
        std::vector<Uint16> pixels;
        for (int y = 100; y < 600; ++y) {
            for (int x = 570; x < 800; ++x) {
                pixels.push_back(pixel(x, y));
            }
        }
        return pixels;
    };
    GameScene scene(screen_);
    ASSERT_EQ(scene.background.surface()->format->BitsPerPixel, 16);
    scene.draw();
    const std::vector<Uint16> drawn = besideTheBoardBelowTheLabel();
    Image file;
    ASSERT_TRUE(file.load("../image/bg.jpg"));
    file.draw(screen_, 0, 0);
    EXPECT_TRUE(drawn == besideTheBoardBelowTheLabel());
}

// Painted only where it changed, every frame must equal the same state painted whole: with
// the real artwork, whose pieces and shadows reach past their squares and blend through their
// alpha, and under both rule sets.
TEST_F(BoardRendering, AFramePaintedWhereItChangedEqualsOnePaintedWhole) {
    reliability::ScratchDirectory real;
    real.linkImages(reliability::repositoryImages());
    GameScene scene(screen_);
    ASSERT_GT(scene.background.width(), 0);
    const std::size_t bytes = static_cast<std::size_t>(screen_->pitch) * screen_->h;
    auto expectWhole = [&](const char* step, auto&& act) {
        SCOPED_TRACE(step);
        act();
        ASSERT_TRUE(scene.draw());
        const std::vector<Uint8> partly(static_cast<const Uint8*>(screen_->pixels),
                                        static_cast<const Uint8*>(screen_->pixels) + bytes);
        paint({1, 2, 3});
        scene.invalidate();
        ASSERT_TRUE(scene.draw());
        EXPECT_EQ(std::memcmp(partly.data(), screen_->pixels, bytes), 0);
    };
    scene.draw();
    expectWhole("Blue's pawn selected", [&] { click(scene, 2, 6); });
    expectWhole("cancelled", [&] { click(scene, 2, 6, kRightButton); });
    expectWhole("the pawn moved", [&] {
        click(scene, 2, 6);
        click(scene, 2, 5);
    });
    expectWhole("Red's rook selected, mirrored", [&] { click(scene, 1, 1); });
    expectWhole("Red's pawn instead", [&] {
        click(scene, 1, 1, kRightButton);
        click(scene, 6, 2);
    });
    expectWhole("a piece taken off under the selection", [&] {
        reliability::changePosition(scene, [](Board& b) { b.place(6, 3, Silver, 0); });
    });

    scene.resumeStandard();
    expectWhole("standard: the bishop's pawn selected", [&] { click(scene, 2, 6); });
    expectWhole("standard: the pawn moved", [&] { click(scene, 2, 5); });
    expectWhole("standard: Red's silver selected", [&] { click(scene, 6, 0); });
    // Turned, every changed place is the turned square's: Red's silver of board column 6,
    // row 0 is shown at column 2, row 8, and a lit or changed square far from its turned place.
    expectWhole("turned: the board turned round", [&] { scene.setTurned(true); });
    expectWhole("turned: Red's silver moved", [&] { click(scene, 2, 7); });
    expectWhole("turned: Blue's edge pawn selected", [&] { click(scene, 8, 2); });
    expectWhole("turned: a piece put on the board, the last move gone", [&] {
        reliability::changePosition(scene, [](Board& b) { b.place(2, 4, Silver, 0); });
    });
    expectWhole("turned: and another, painted in its place", [&] {
        reliability::changePosition(scene, [](Board& b) { b.place(1, 4, Gold, 0); });
    });
}

// A portrait is decoded once and then shown again, but always the one asked for.
TEST_F(BoardRendering, AKeptPortraitIsTheOneAskedForAndAMissingOneShowsOncePutInPlace) {
    writeArtwork();
    GameScene scene(screen_);
    click(scene, 4, 6);
    const SDL_Surface* bluePawn = scene.portrait.surface();
    ASSERT_NE(bluePawn, nullptr);
    click(scene, 4, 6, kRightButton);
    click(scene, 4, 6);
    EXPECT_EQ(scene.portrait.surface(), bluePawn);
    click(scene, 4, 5);
    click(scene, 4, 2);  // Red's pawn: the same code, the other folder
    EXPECT_EQ(scene.portrait.path(), "../image/team/sample/2pcg/01.png");
    ASSERT_TRUE(scene.draw());
    expectColours({{600, 0, kRedPortrait}});
    click(scene, 4, 3);

    // Blue's lance has no portrait yet: nothing shows, until the file is there.
    click(scene, 0, 8);
    EXPECT_EQ(scene.portrait.surface(), nullptr);
    EXPECT_EQ(scene.portrait.path(), "../image/team/sample/1pcg/07.png");
    click(scene, 0, 8, kRightButton);
    write("team/sample/1pcg/07.png", 200, 100, kBluePortrait);
    click(scene, 0, 8);
    EXPECT_EQ(scene.portrait.width(), 200);

    // Freeing the portrait shown leaves the kept one for the next selection.
    scene.portrait.free();
    click(scene, 0, 8, kRightButton);
    click(scene, 4, 5);
    EXPECT_EQ(scene.portrait.surface(), bluePawn);
    ASSERT_TRUE(scene.draw());
    expectColours({{600, 0, kBluePortrait}});
}

// A press and a release that both come between two passes still select, where the button
// came up.
TEST_F(BoardRendering, APressAndReleaseWithinOnePassSelectAtTheReleasePosition) {
    writeArtwork();
    GameScene scene(screen_);
    scene.draw();
    Mouse::instance().noteButton(SDL_BUTTON_LEFT, true, 300, 300);
    Mouse::instance().noteButton(SDL_BUTTON_LEFT, false, squareLeft(4) + 5, squareTop(6) + 5);
    frame(scene, 10, 10, 0);
    EXPECT_EQ(scene.selected.piece, Pawn);
    EXPECT_TRUE(scene.draw());
    expectColours({{288, 328, kHighlight}});
}

}  // namespace
}  // namespace ixo::test
