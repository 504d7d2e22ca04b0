#include "media/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "media/image.h"

namespace ixo {

// Generated at build time from font.png.
extern const unsigned char kFontPng[];
extern const int kFontPngSize;

Image* fontImage = nullptr;

namespace {

constexpr int kCellWidth = 16;
constexpr int kCellHeight = 32;
constexpr int kAdvance = 10;

}  // namespace

bool createFont() {
    if (!fontImage) {
        fontImage = new (std::nothrow) Image(kFontPng, kFontPngSize);
    }
    return fontImage != nullptr;
}

void destroyFont() {
    delete fontImage;
    fontImage = nullptr;
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
