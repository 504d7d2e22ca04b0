#pragma once

#include <string>

#include "SDL.h"

namespace ixo {

// One picture as SDL_image decoded it, with the path it came from. An empty image draws
// nothing and measures 0 x 0, which is how a missing picture stays invisible.
class Image {
  public:
    Image() = default;
    Image(const void* data, int size);
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool load(const std::string& path);
    bool loadFromMemory(const void* data, int size);
    // `source`'s picture turned half round, under its path: a piece seen from the other side
    // of the board. Empty when `source` is.
    bool loadTurned(const Image& source);
    void free();
    // An opaque picture is converted once to the screen's format, so that drawing it is a
    // plain copy rather than a conversion of every pixel in every frame; the pixels on screen
    // come out the same. Pictures with an alpha channel or a colour key keep their own
    // format, since blending from another one could round differently. Without a screen, or
    // if the conversion fails, the picture stays as it was.
    void matchScreenFormat();

    // Shows `owner`'s picture, under its path, without taking it over: a picture kept for
    // reuse is then decoded once however often it is shown. Emptied by the next load or free,
    // which leave `owner` alone; `owner` must keep its picture for as long as this one shows it.
    void borrow(const Image& owner);

    void draw(SDL_Surface* target, Sint16 x, Sint16 y) const;
    void drawPart(SDL_Surface* target, Sint16 x, Sint16 y, Sint16 sourceX, Sint16 sourceY,
                  Uint16 sourceWidth, Uint16 sourceHeight) const;

    int width() const;
    int height() const;
    const std::string& path() const { return path_; }
    SDL_Surface* surface() const { return surface_; }

  private:
    void releaseSurface();

    std::string path_;
    SDL_Surface* surface_ = nullptr;
    bool borrowed_ = false;
};

}  // namespace ixo
