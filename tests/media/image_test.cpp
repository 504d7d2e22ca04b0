#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "SDL.h"
#include "media/image.h"

namespace ixo {
namespace {

// A picture whose every pixel tells where it came from: red 5x, green 5y.
std::string writePattern(int width, int height) {
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            static_cast<Uint32*>(picture->pixels)[y * picture->pitch / 4 + x] =
                SDL_MapRGB(picture->format, Uint8(x * 5), Uint8(y * 5), 77);
    const std::string path = ::testing::TempDir() + "pattern" + std::to_string(width) + ".bmp";
    SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
    return path;
}

struct Target {
    Target() : surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 64, 32, 0xFF0000, 0xFF00, 0xFF, 0)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 1, 2, 3));
    }
    ~Target() { SDL_FreeSurface(surface); }
    // The pattern coordinates a pixel shows, or (-1, -1) where it is untouched.
    std::pair<int, int> at(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x],
                   surface->format, &r, &g, &b);
        if (r == 1 && g == 2 && b == 3)
            return {-1, -1};
        return {r / 5, g / 5};
    }
    SDL_Surface* surface;
};

TEST(Image, AnEmptyImageMeasuresNothingAndDrawsNothing) {
    Image image;
    Target target;
    image.draw(target.surface, 0, 0);
    image.drawPart(target.surface, 0, 0, 0, 0, 8, 8);
    EXPECT_EQ(image.width() + image.height(), 0);
    EXPECT_EQ(image.path(), "");
    EXPECT_EQ(target.at(0, 0), std::make_pair(-1, -1));
}

TEST(Image, AFailedLoadKeepsThePathAndLeavesTheImageEmptyEvenAfterAGoodOne) {
    Image image;
    ASSERT_TRUE(image.load(writePattern(40, 48)));
    EXPECT_EQ(image.width(), 40);
    EXPECT_EQ(image.height(), 48);
    ASSERT_TRUE(image.load(writePattern(20, 12)));  // replacing releases the first picture
    EXPECT_EQ(image.width(), 20);
    EXPECT_FALSE(image.load("../image/no-such-picture.jpg"));
    EXPECT_EQ(image.path(), "../image/no-such-picture.jpg");
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.surface(), nullptr);
}

TEST(Image, MemoryThatIsNoPictureLeavesAnEmptyImageNamedMemory) {
    const char junk[] = "not a picture at all";
    Image image(junk, sizeof junk);
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.path(), "(memory)");
    EXPECT_FALSE(image.loadFromMemory(nullptr, 0));
}

TEST(Image, DrawPartBlitsExactlyTheAskedRectangleAtTheGivenCorner) {
    Image image;
    ASSERT_TRUE(image.load(writePattern(40, 48)));
    Target target;
    image.drawPart(target.surface, 7, 9, 16, 8, 16, 32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 7 && x < 23 && y >= 9 && y < 41;
            const auto expected =
                inside ? std::make_pair(x - 7 + 16, y - 9 + 8) : std::make_pair(-1, -1);
            ASSERT_EQ(target.at(x, y), expected) << x << "," << y;
        }
}

TEST(Image, APictureHangingOverTheEdgeIsClippedToTheTarget) {
    Image image;
    ASSERT_TRUE(image.load(writePattern(40, 48)));
    Target target;
    image.draw(target.surface, 50, -10);
    EXPECT_EQ(target.at(63, 0), std::make_pair(13, 10));
    EXPECT_EQ(target.at(49, 0), std::make_pair(-1, -1));
    EXPECT_EQ(target.at(50, 38), std::make_pair(-1, -1));
}

}  // namespace
}  // namespace ixo
