#include "media/image.h"

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
