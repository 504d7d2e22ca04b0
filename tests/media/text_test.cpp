#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SDL.h"
#include "media/image.h"
#include "media/text.h"

namespace ixo {
namespace {

// Draws on the real 800 x 600 x 16 screen and compares every pixel with a line composed
// straight from the font picture's own pixels.
class BitmapText : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SDL_Init(SDL_INIT_VIDEO);
        screen = SDL_SetVideoMode(800, 600, 16, SDL_HWSURFACE);
    }
    static void TearDownTestSuite() { SDL_Quit(); }
    void SetUp() override {
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(createFont());
        ASSERT_EQ(fontImage->width(), 128);
        background = Uint16(SDL_MapRGB(screen->format, 20, 20, 40));
        SDL_FillRect(screen, nullptr, background);
    }
    void TearDown() override { destroyFont(); }

    std::vector<Uint16> pixels() const {
        std::vector<Uint16> all;
        for (int y = 0; y < 600; ++y) {
            const auto* row = reinterpret_cast<const Uint16*>(
                static_cast<const Uint8*>(screen->pixels) + y * screen->pitch);
            all.insert(all.end(), row, row + 800);
        }
        return all;
    }
    // Cells 10 pixels apart, later ones over earlier ones, transparent pixels left alone.
    std::vector<Uint16> expectedLine(const std::string& text, int x, int y) const {
        std::vector<Uint16> all(800 * 600, background);
        SDL_Surface* font = fontImage->surface();
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned code = static_cast<unsigned char>(text[i]) >= 127 ? 32 : text[i];
            for (int cy = 0; cy < 32; ++cy)
                for (int cx = 0; cx < 16; ++cx) {
                    const int sx = int(code >> 4) * 16 + cx, sy = int(code & 15) * 32 + cy;
                    Uint8 r, g, b, a;
                    SDL_GetRGBA(static_cast<Uint32*>(font->pixels)[sy * font->pitch / 4 + sx],
                                font->format, &r, &g, &b, &a);
                    const int px = x + 10 * int(i) + cx, py = y + cy;
                    if (a && px >= 0 && px < 800 && py >= 0 && py < 600)
                        all[py * 800 + px] = Uint16(SDL_MapRGB(screen->format, r, g, b));
                }
        }
        return all;
    }
    std::size_t inked(const std::vector<Uint16>& all) const {
        return all.size() - std::count(all.begin(), all.end(), background);
    }

    static SDL_Surface* screen;
    Uint16 background = 0;
};
SDL_Surface* BitmapText::screen = nullptr;

TEST_F(BitmapText, BlueSitsInFourCellsTenPixelsApartAndHighBytesAreBlanks) {
    drawText(screen, 650, 50, "%s", "Blue");
    drawText(screen, 100, 300, "B\xE9u\x7F!\x8F\xAB");
    auto expected = expectedLine("Blue", 650, 50);
    const auto second = expectedLine("B u !  ", 100, 300);
    EXPECT_GT(inked(expected), 100u);
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (second[i] != background)
            expected[i] = second[i];
    EXPECT_EQ(pixels(), expected);
}

// A KIF move keeps the width its bytes always took, and the text after it its place.
TEST_F(BitmapText, AKifCharacterFillsTheThreePlacesOfItsBytes) {
    ASSERT_NE(kifGlyphImage, nullptr);
    ASSERT_EQ(kifGlyphImage->height(), 32);
    drawText(screen, 100, 300, "%s", "\xE6\xAD\xA9!");  // 歩!
    const std::vector<Uint16> drawn = pixels();
    std::size_t inGlyph = 0;
    for (int y = 300; y < 332; ++y)
        for (int x = 100; x < 130; ++x)
            inGlyph += drawn[y * 800 + x] != background;
    EXPECT_GT(inGlyph, 40u);
    SDL_FillRect(screen, nullptr, background);
    drawText(screen, 130, 300, "!");
    EXPECT_EQ(inked(pixels()) + inGlyph, inked(drawn));
}

TEST_F(BitmapText, ALongTextIsCutAt511Characters) {
    const std::string hashes(5000, '#');
    // Start far to the left so that characters 510 and 511 would fall on screen at 400 and 410.
    drawText(screen, 400 - 5100, 100, "%s", hashes.c_str());
    const auto expected = expectedLine(hashes.substr(0, 511), 400 - 5100, 100);
    EXPECT_NE(expected, expectedLine(hashes.substr(0, 512), 400 - 5100, 100));
    EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapText, NothingIsDrawnForAnEmptyTextOrWithoutAFont) {
    drawText(screen, 650, 50, "%s", "");
    destroyFont();
    drawText(screen, 650, 50, "Blue");
    EXPECT_EQ(inked(pixels()), 0u);
}

}  // namespace
}  // namespace ixo
