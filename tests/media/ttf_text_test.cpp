#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SDL.h"
#include "media/ttf_text.h"

namespace ixo {
namespace {

// The Japanese font comes with the package's dependencies; CI installs one.
bool japaneseFontInstalled() {
    std::string why;
    if (!TrueTypeText::findJapaneseFont(why).empty()) {
        return true;
    }
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") {
        ADD_FAILURE() << why;
    }
    return false;
}

class OutlineText : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!japaneseFontInstalled()) {
            GTEST_SKIP() << "no Japanese font (fonts-ipafont-gothic or fonts-noto-cjk)";
        }
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 400, 100, 16, 0xf800, 0x07e0, 0x001f, 0);
        ASSERT_NE(surface, nullptr);
        std::string why;
        ASSERT_TRUE(text.open(16, why)) << why;
    }
    void TearDown() override {
        if (surface) {
            SDL_FreeSurface(surface);
        }
        SDL_Quit();
    }

    bool lit(int x, int y) const {
        const auto* row = reinterpret_cast<const Uint16*>(
            static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
        return row[x] != 0;
    }

    SDL_Surface* surface = nullptr;
    TrueTypeText text;
};

TEST_F(OutlineText, AJapaneseCommentIsDrawnInsideItsMeasuredBox) {
    const std::string comment = "▲７六歩に△３四歩、互角の形勢";
    const int left = 10;
    const int top = 20;
    const int width = text.width(comment);
    ASSERT_GT(width, 0);
    ASSERT_LT(width, 400 - left);
    ASSERT_TRUE(text.draw(surface, left, top, comment, SDL_Color{255, 255, 255, 0}));

    int inside = 0;
    int outside = 0;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            const bool within =
                x >= left && x < left + width && y >= top && y < top + text.lineHeight();
            if (lit(x, y)) {
                ++(within ? inside : outside);
            }
        }
    }
    // Fifteen characters of strokes, not a blank box of missing glyphs.
    EXPECT_GT(inside, 15 * 20);
    EXPECT_EQ(outside, 0);
}

TEST_F(OutlineText, WrappingBreaksJapaneseAnywhereAndEnglishAtSpaces) {
    const std::string kana = "あいうえおかきくけこさしすせそ";
    const int fourCharacters = text.width("あいうえ");
    const std::vector<std::string> lines = text.wrap(kana, fourCharacters);
    ASSERT_EQ(lines.size(), 4u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(text.width(line), fourCharacters) << line;
        joined += line;
    }
    EXPECT_EQ(joined, kana);

    EXPECT_EQ(text.wrap("the best line", text.width("the best ")),
              (std::vector<std::string>{"the best", "line"}));
    EXPECT_EQ(text.wrap("a bb c dd", text.width("a bb ")),
              (std::vector<std::string>{"a bb", "c dd"}));
    EXPECT_EQ(text.wrap("一行目\n二行目", 1000), (std::vector<std::string>{"一行目", "二行目"}));
}

TEST(OutlineTextWithoutAFont, SaysWhyAndDrawsNothing) {
    TrueTypeText text;
    std::string why;
    EXPECT_FALSE(text.openFile("/nonexistent/font.ttf", 16, why));
    EXPECT_NE(why.find("/nonexistent/font.ttf"), std::string::npos) << why;
    EXPECT_FALSE(text.ready());
    EXPECT_EQ(text.width("あ"), 0);
    EXPECT_FALSE(text.draw(nullptr, 0, 0, "あ", SDL_Color{255, 255, 255, 0}));
}

}  // namespace
}  // namespace ixo
