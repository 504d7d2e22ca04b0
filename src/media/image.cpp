#include "media/image.h"

#include <cstring>

#include "SDL_image.h"

namespace ixo {

Image::Image(const void* data, int size) {
    loadFromMemory(data, size);
}

Image::~Image() {
    free();
}

void Image::releaseSurface() {
    if (surface_ && !borrowed_) {
        SDL_FreeSurface(surface_);
    }
    surface_ = nullptr;
    borrowed_ = false;
}

void Image::borrow(const Image& owner) {
    if (&owner == this) {
        return;
    }
    releaseSurface();
    path_ = owner.path_;
    surface_ = owner.surface_;
    borrowed_ = surface_ != nullptr;
}

bool Image::load(const std::string& path) {
    // A failed load must leave the image empty rather than showing the picture it replaced.
    releaseSurface();
    path_ = path;
    surface_ = IMG_Load(path_.c_str());
    return surface_ != nullptr;
}

bool Image::loadFromMemory(const void* data, int size) {
    releaseSurface();
    path_ = "(memory)";
    if (!data || size <= 0) {
        return false;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(data, size);
    if (!stream) {
        return false;
    }
    surface_ = IMG_Load_RW(stream, 1);
    return surface_ != nullptr;
}

bool Image::loadTurned(const Image& source) {
    releaseSurface();
    path_ = source.path_;
    const SDL_Surface* from = source.surface_;
    if (!from) {
        return false;
    }
    // A copy in the same format and with the same alpha, then every row's pixels in reverse
    // order, last row first.
    SDL_Surface* turned =
        SDL_ConvertSurface(const_cast<SDL_Surface*>(from), from->format, from->flags);
    if (!turned) {
        return false;
    }
    SDL_LockSurface(const_cast<SDL_Surface*>(from));
    SDL_LockSurface(turned);
    const int bytes = from->format->BytesPerPixel;
    for (int row = 0; row < from->h; ++row) {
        const auto* source = static_cast<const Uint8*>(from->pixels) + row * from->pitch;
        auto* target = static_cast<Uint8*>(turned->pixels) + (from->h - 1 - row) * turned->pitch;
        for (int column = 0; column < from->w; ++column) {
            std::memcpy(target + (from->w - 1 - column) * bytes, source + column * bytes,
                        static_cast<std::size_t>(bytes));
        }
    }
    SDL_UnlockSurface(turned);
    SDL_UnlockSurface(const_cast<SDL_Surface*>(from));
    surface_ = turned;
    return true;
}

void Image::free() {
    releaseSurface();
    path_.clear();
}

void Image::matchScreenFormat() {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    if (!surface_ || borrowed_ || !screen || surface_->format->Amask != 0 ||
        (surface_->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) != 0 ||
        surface_->format->BitsPerPixel == screen->format->BitsPerPixel) {
        return;
    }
    SDL_Surface* converted = SDL_DisplayFormat(surface_);
    if (converted) {
        SDL_FreeSurface(surface_);
        surface_ = converted;
    }
}

void Image::draw(SDL_Surface* target, Sint16 x, Sint16 y) const {
    if (!surface_ || !target) {
        return;
    }
    SDL_Rect destination = {x, y, 0, 0};
    SDL_UpperBlit(surface_, nullptr, target, &destination);
}

void Image::drawPart(SDL_Surface* target, Sint16 x, Sint16 y, Sint16 sourceX, Sint16 sourceY,
                     Uint16 sourceWidth, Uint16 sourceHeight) const {
    if (!surface_ || !target) {
        return;
    }
    SDL_Rect source = {sourceX, sourceY, sourceWidth, sourceHeight};
    SDL_Rect destination = {x, y, 0, 0};
    SDL_UpperBlit(surface_, &source, target, &destination);
}

int Image::width() const {
    return surface_ ? surface_->w : 0;
}

int Image::height() const {
    return surface_ ? surface_->h : 0;
}

}  // namespace ixo
