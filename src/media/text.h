#pragma once

#include "SDL.h"

namespace ixo {

class Image;

// The process-wide font picture, and the characters of KIF moves beyond ASCII; none before
// createFont() and after destroyFont().
extern Image* fontImage;
extern Image* kifGlyphImage;

bool createFont();
void destroyFont();

// One line of printf-style text, one 16 x 32 cell per character, 10 pixels apart. Texts are
// cut at 511 characters. Draws nothing when there is no font. Of the bytes above ASCII, the
// UTF-8 characters of KIF moves ("７六歩") are drawn over the three places their bytes take;
// any other such byte is a blank place.
void drawText(SDL_Surface* target, int x, int y, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

}  // namespace ixo
