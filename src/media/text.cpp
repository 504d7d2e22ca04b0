#include "media/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "media/image.h"

namespace ixo {

// Generated at build time from font.png and kif_glyphs.png.
extern const unsigned char kFontPng[];
extern const int kFontPngSize;
extern const unsigned char kKifGlyphsPng[];
extern const int kKifGlyphsPngSize;

Image* fontImage = nullptr;
Image* kifGlyphImage = nullptr;

namespace {

constexpr int kCellWidth = 16;
constexpr int kCellHeight = 32;
constexpr int kAdvance = 10;

// The characters of KIF move notation beyond ASCII, in the order of their cells in
// kif_glyphs.png (tools/make_kif_glyphs.py reads this line). Each is three bytes of UTF-8 and
// is drawn across the three advances those bytes take, so a line measures what it always did.
constexpr char kKifGlyphs[] = "１２３４５６７８９一二三四五六七八九歩と角馬飛龍香成桂銀金玉打同";
constexpr int kGlyphBytes = 3;
constexpr int kGlyphWidth = kGlyphBytes * kAdvance;

// The cell of the glyph that starts at `text`, or -1 when there is none.
int kifGlyphAt(const char* text, std::size_t left) {
    if (left < static_cast<std::size_t>(kGlyphBytes)) {
        return -1;
    }
    for (std::size_t at = 0; at + kGlyphBytes < sizeof kKifGlyphs; at += kGlyphBytes) {
        if (std::memcmp(text, kKifGlyphs + at, kGlyphBytes) == 0) {
            return static_cast<int>(at / kGlyphBytes);
        }
    }
    return -1;
}

}  // namespace

bool createFont() {
    if (!fontImage) {
        fontImage = new (std::nothrow) Image(kFontPng, kFontPngSize);
    }
    if (!kifGlyphImage) {
        kifGlyphImage = new (std::nothrow) Image(kKifGlyphsPng, kKifGlyphsPngSize);
    }
    return fontImage != nullptr;
}

void destroyFont() {
    delete fontImage;
    fontImage = nullptr;
    delete kifGlyphImage;
    kifGlyphImage = nullptr;
}

void drawText(SDL_Surface* target, int x, int y, const char* format, ...) {
    if (!fontImage) {
        return;
    }
    // Bounded so that a long text is cut at 511 characters instead of running off the stack.
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int formatted = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (formatted < 0) {
        return;
    }

    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; ++i) {
        const int glyph = static_cast<unsigned char>(text[i]) >= 0x80 && kifGlyphImage
                              ? kifGlyphAt(text + i, length - i)
                              : -1;
        if (glyph >= 0) {
            kifGlyphImage->drawPart(target, static_cast<Sint16>(x + kAdvance * static_cast<int>(i)),
                                    static_cast<Sint16>(y),
                                    static_cast<Sint16>(glyph * kGlyphWidth), 0, kGlyphWidth,
                                    kCellHeight);
            i += kGlyphBytes - 1;
            continue;
        }
        // The font has cells for 7-bit codes only; anything above (Shift_JIS, UTF-8) is blank
        // but still takes its place in the line.
        unsigned char code = static_cast<unsigned char>(text[i]);
        if (code >= 127) {
            code = ' ';
        }
        fontImage->drawPart(target, static_cast<Sint16>(x + kAdvance * static_cast<int>(i)),
                            static_cast<Sint16>(y), static_cast<Sint16>((code >> 4) * kCellWidth),
                            static_cast<Sint16>((code & 15) * kCellHeight), kCellWidth,
                            kCellHeight);
    }
}

}  // namespace ixo
