#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "SDL.h"
#include "media/image.h"

namespace ixo {
namespace {

// A picture file whose every pixel tells where it came from: red 5x, green 5y.
std::string patternFile(int width, int height) {
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

// A 64 x 64 target; at() gives the pattern coordinates a pixel shows, (-1, -1) if untouched.
struct Target {
    Target() : surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 64, 32, 0xFF0000, 0xFF00, 0xFF, 0)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 1, 2, 3));
    }
    ~Target() { SDL_FreeSurface(surface); }
    std::pair<int, int> at(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x],
                   surface->format, &r, &g, &b);
        return b == 3 ? std::make_pair(-1, -1) : std::make_pair(r / 5, g / 5);
    }
    SDL_Surface* surface;
};
const std::pair<int, int> kUntouched(-1, -1);

TEST(Image, AFailedLoadKeepsThePathAndLeavesTheImageEmptyEvenAfterAGoodOne) {
    Image image;
    Target target;
    image.draw(target.surface, 0, 0);
    EXPECT_EQ(target.at(0, 0), kUntouched);
    ASSERT_TRUE(image.load(patternFile(40, 48)));
    EXPECT_EQ(image.width() * 1000 + image.height(), 40048);
    ASSERT_TRUE(image.load(patternFile(20, 12)));  // the first picture is released, not leaked
    EXPECT_EQ(image.width(), 20);
    EXPECT_FALSE(image.load("../image/no-such-picture.jpg"));
    EXPECT_EQ(image.path(), "../image/no-such-picture.jpg");
    EXPECT_EQ(image.width() + image.height(), 0);
    image.drawPart(target.surface, 0, 0, 0, 0, 8, 8);
    EXPECT_EQ(target.at(0, 0), kUntouched);
    const char junk[] = "not a picture at all";
    EXPECT_FALSE(image.loadFromMemory(junk, sizeof junk));
    EXPECT_EQ(image.path(), "(memory)");
}

TEST(Image, DrawPartBlitsExactlyTheAskedRectangleAtTheGivenCorner) {
    Image image;
    ASSERT_TRUE(image.load(patternFile(40, 48)));
    Target target;
    image.drawPart(target.surface, 7, 9, 16, 8, 16, 32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 7 && x < 23 && y >= 9 && y < 41;
            ASSERT_EQ(target.at(x, y), inside ? std::make_pair(x + 9, y - 1) : kUntouched)
                << x << "," << y;
        }
}

}  // namespace
}  // namespace ixo
