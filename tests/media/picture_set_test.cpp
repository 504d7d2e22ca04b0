#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "SDL.h"
#include "media/image.h"

namespace ixo {
namespace {

// The game loads its pictures silently and shows nothing for a missing or misfit one, so the
// committed set is checked here against the layout that draws it.

std::string repositoryRoot() {
    return IXO_SOURCE_DIR;
}

std::string picturePath(const std::string& name) {
    return repositoryRoot() + "/image/" + name;
}

std::string piecePath(int side, int code, bool card) {
    char name[64];
    std::snprintf(name, sizeof name, "team/sample/%dp%s/%02d.png", side + 1, card ? "cg" : "",
                  code);
    return picturePath(name);
}

SDL_Color pixelAt(const SDL_Surface* surface, int x, int y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 value = 0;
    const int bytes = surface->format->BytesPerPixel;
    for (int i = 0; i < bytes; ++i)
        value |= Uint32(row[x * bytes + i]) << (8 * i);  // little-endian, as SDL_image loads
    SDL_Color colour;
    SDL_GetRGBA(value, surface->format, &colour.r, &colour.g, &colour.b, &colour.unused);
    return colour;
}

int brightness(SDL_Color c) {
    return (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
}

// Average brightness of a rectangle, for areas that must stay dark behind white text.
int meanBrightness(const SDL_Surface* surface, int left, int top, int width, int height) {
    long sum = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            sum += brightness(pixelAt(surface, x, y));
    return int(sum / (long(width) * height));
}

int opaqueWidth(const SDL_Surface* surface, int y) {
    int count = 0;
    for (int x = 0; x < surface->w; ++x)
        count += pixelAt(surface, x, y).unused > 128;
    return count;
}

const int kBlue = 0, kRed = 1;

TEST(PictureSet, HoldsEveryFileTheSceneLoadsInTheSizesItsLayoutNeeds) {
    Image picture;
    ASSERT_TRUE(picture.load(picturePath("bg.jpg")));
    EXPECT_EQ(picture.width(), 800);
    EXPECT_EQ(picture.height(), 600);
    ASSERT_TRUE(picture.load(picturePath("board.jpg")));
    EXPECT_EQ(picture.width(), 504);
    EXPECT_EQ(picture.height(), 504);
    ASSERT_TRUE(picture.load(picturePath("hikari.png")));
    EXPECT_EQ(picture.width(), 56);
    EXPECT_EQ(picture.height(), 56);
    for (const char* shadow : {"kageb.png", "kager.png"}) {
        ASSERT_TRUE(picture.load(picturePath(shadow))) << shadow;
        EXPECT_NE(picture.surface()->format->Amask, 0u) << shadow;
    }
    // Every piece and card is loaded and measured by the cases below.
}

TEST(PictureSet, PiecesFitTheirSquareCentredAndGrowWithRank) {
    // Drawn centred with w / 2 and standing 4 pixels above the square's bottom, a piece must
    // be at most 52 x 52 and of even width to sit in the middle of its square.
    std::vector<int> area(15);
    for (int code = 1; code <= 14; ++code) {
        Image blue, red;
        ASSERT_TRUE(blue.load(piecePath(kBlue, code, false)));
        ASSERT_TRUE(red.load(piecePath(kRed, code, false)));
        EXPECT_LE(blue.width(), 52) << code;
        EXPECT_LE(blue.height(), 52) << code;
        EXPECT_EQ(blue.width() % 2, 0) << code;
        EXPECT_NE(blue.surface()->format->Amask, 0u) << code;
        EXPECT_NE(red.surface()->format->Amask, 0u) << code;
        EXPECT_EQ(red.width(), blue.width()) << code;
        EXPECT_EQ(red.height(), blue.height()) << code;
        area[code] = blue.width() * blue.height();
    }
    // A promoted piece is the same piece turned over.
    for (int code : {1, 3, 5, 7, 9, 11})
        EXPECT_EQ(area[code + 1], area[code]) << code;
    // Pawn, lance, knight, silver, bishop, king; gold matches silver, rook matches bishop.
    EXPECT_LT(area[1], area[7]);
    EXPECT_LT(area[7], area[9]);
    EXPECT_LT(area[9], area[11]);
    EXPECT_EQ(area[13], area[11]);
    EXPECT_LT(area[11], area[3]);
    EXPECT_EQ(area[5], area[3]);
    EXPECT_LT(area[3], area[14]);
}

TEST(PictureSet, BluePiecesPointUpTheBoardAndRedPiecesDown) {
    for (int code = 1; code <= 14; ++code) {
        Image blue, red;
        ASSERT_TRUE(blue.load(piecePath(kBlue, code, false)));
        ASSERT_TRUE(red.load(piecePath(kRed, code, false)));
        const int h = blue.height();
        EXPECT_LT(opaqueWidth(blue.surface(), h / 8), opaqueWidth(blue.surface(), h * 3 / 4))
            << code;
        EXPECT_GT(opaqueWidth(red.surface(), h / 8), opaqueWidth(red.surface(), h * 3 / 4)) << code;
    }
}

TEST(PictureSet, ShadowsAreTintedWithTheirSideAndTheHighlightLetsTheGridShowThrough) {
    Image blue, red, highlight;
    ASSERT_TRUE(blue.load(picturePath("kageb.png")));
    ASSERT_TRUE(red.load(picturePath("kager.png")));
    const SDL_Color blueMiddle = pixelAt(blue.surface(), blue.width() / 2, blue.height() / 2);
    const SDL_Color redMiddle = pixelAt(red.surface(), red.width() / 2, red.height() / 2);
    EXPECT_GT(blueMiddle.unused, 64);
    EXPECT_GT(blueMiddle.b, blueMiddle.r);
    EXPECT_GT(redMiddle.unused, 64);
    EXPECT_GT(redMiddle.r, redMiddle.b);

    ASSERT_TRUE(highlight.load(picturePath("hikari.png")));
    // The square's border lines lie under the highlight's outermost pixels.
    EXPECT_LT(pixelAt(highlight.surface(), 0, 28).unused, 64);
    EXPECT_LT(pixelAt(highlight.surface(), 28, 55).unused, 64);
    const Uint8 middle = pixelAt(highlight.surface(), 28, 28).unused;
    EXPECT_GT(middle, 40);
    EXPECT_LT(middle, 200);
}

TEST(PictureSet, BoardLinesLieOnTheSquareBorders) {
    Image board;
    ASSERT_TRUE(board.load(picturePath("board.jpg")));
    for (int k = 1; k < 9; ++k)
        for (int along = 28; along < 504; along += 56) {
            const int line = brightness(pixelAt(board.surface(), 56 * k, along));
            const int wood = brightness(pixelAt(board.surface(), 56 * k - 28, along));
            EXPECT_LT(line + 40, wood) << "column border " << k << " at " << along;
            const int across = brightness(pixelAt(board.surface(), along, 56 * k - 1));
            EXPECT_LT(across + 40, wood) << "row border " << k << " at " << along;
        }
}

TEST(PictureSet, TheTurnLabelLandsOnACalmDarkAreaWithOrWithoutACard) {
    // The label is white with a black shadow at (650, 50), about 45 x 20 pixels of ink.
    Image picture;
    ASSERT_TRUE(picture.load(picturePath("bg.jpg")));
    EXPECT_LT(meanBrightness(picture.surface(), 650, 50, 48, 22), 70);
    for (int side : {kBlue, kRed})
        for (int code = 1; code <= 14; ++code) {
            ASSERT_TRUE(picture.load(piecePath(side, code, true))) << picture.path();
            // A card wider than 200 pixels would reach the rank numbers at x 568 to 599.
            EXPECT_LE(picture.width(), 200) << picture.path();
            EXPECT_LE(picture.height(), 600) << picture.path();
            const int left = 650 - (800 - picture.width());
            ASSERT_GE(left, 0) << picture.path();
            EXPECT_LT(meanBrightness(picture.surface(), left, 50, 48, 22), 70) << picture.path();
        }
}

}  // namespace
}  // namespace ixo
