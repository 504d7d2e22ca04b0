#pragma once

#include "SDL.h"

namespace ixo {

class Image;

// The process-wide font picture; none before createFont() and after destroyFont().
extern Image* fontImage;

bool createFont();
void destroyFont();

// One line of printf-style text, one 16 x 32 cell per character, 10 pixels apart. Texts are
// cut at 511 characters. Draws nothing when there is no font.
void drawText(SDL_Surface* target, int x, int y, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

}  // namespace ixo
