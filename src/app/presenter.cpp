#include "app/presenter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ixo {

namespace {

// Changes are found tile by tile, then each rectangle is cut down to the pixels that really
// differ. A tile is small next to a square (56 pixels), so neighbouring squares merge only
// where they touch.
constexpr int kTile = 16;
// Past this share of changed tiles one whole update costs less than many small ones.
constexpr int kWholeFramePercent = 60;

Uint8* pixelAddress(SDL_Surface* surface, int x, int y) {
    return static_cast<Uint8*>(surface->pixels) + y * surface->pitch +
           x * surface->format->BytesPerPixel;
}

bool rowsDiffer(SDL_Surface* a, SDL_Surface* b, int x, int y, int width) {
    const int bytes = a->format->BytesPerPixel;
    return std::memcmp(pixelAddress(a, x, y), pixelAddress(b, x, y),
                       static_cast<std::size_t>(width * bytes)) != 0;
}

// The first and last differing pixel of a row segment known to differ.
void differingSpan(SDL_Surface* a, SDL_Surface* b, int x, int y, int width, int& first, int& last) {
    const int bytes = a->format->BytesPerPixel;
    const Uint8* left = pixelAddress(a, x, y);
    const Uint8* right = pixelAddress(b, x, y);
    first = 0;
    while (std::memcmp(left + first * bytes, right + first * bytes, bytes) == 0) {
        ++first;
    }
    last = width - 1;
    while (std::memcmp(left + last * bytes, right + last * bytes, bytes) == 0) {
        --last;
    }
    first += x;
    last += x;
}

// sdl12-compat calls itself 1.2.50 or later; the classic library ended at 1.2.15.
bool isCompat(const SDL_version& linked) {
    return linked.major == 1 && linked.minor == 2 && linked.patch >= 50;
}

// sdl12-compat holds an update of part of the screen until a display frame (1000 / refresh
// rate ms, or 15) has passed since its last frame; a slower display than 50 Hz is not
// allowed for. While an update may be held the loop pumps every few milliseconds.
constexpr Uint32 kLongestHoldMs = 21;
constexpr int kHeldPumpSliceMs = 4;

struct SurfaceLock {
    explicit SurfaceLock(SDL_Surface* surface) : surface(surface) {
        locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
    }
    ~SurfaceLock() {
        if (locked) {
            SDL_UnlockSurface(surface);
        }
    }
    SDL_Surface* surface;
    bool locked;
};

}  // namespace

std::vector<std::pair<const char*, const char*>> presentationHints(const SDL_version& linked,
                                                                   bool fullscreen) {
    // Full screen, sdl12-compat may stretch the frame to the display's mode, and SDL 2 chooses
    // how; that is left to it.
    if (!isCompat(linked) || fullscreen) {
        return {};
    }
    // In a window the texture is shown pixel for pixel, so the renderer only copies it, yet by
    // default SDL 2 copies the whole window through OpenGL at every frame; with no graphics
    // card (software OpenGL) that was nearly all of a click's time at scale 2. SDL 2's own
    // software renderer copies the same pixels, and with the window's plain X11 framebuffer
    // (not one kept as an OpenGL texture, SDL 2's default) nothing goes through OpenGL.
    return {{"SDL_RENDER_DRIVER", "software"}, {"SDL_FRAMEBUFFER_ACCELERATION", "0"}};
}

void applyPresentationHints(const SDL_version& linked, bool fullscreen) {
    for (const auto& [name, value] : presentationHints(linked, fullscreen)) {
        setenv(name, value, 0);
    }
}

int fittingScale(int frameWidth, int frameHeight, int screenWidth, int screenHeight) {
    int scale = 1;
    for (int candidate = 2; candidate <= 4; ++candidate) {
        if (frameWidth * candidate <= screenWidth && frameHeight * candidate <= screenHeight) {
            scale = candidate;
        }
    }
    return scale;
}

Presenter::Presenter(SDL_Surface* window, int frameWidth, int frameHeight, int scale, int originX,
                     int originY)
    : window_(window), scale_(std::max(scale, 1)), originX_(originX), originY_(originY) {
    if (!window_) {
        return;
    }
    const SDL_PixelFormat* format = window_->format;
    if (scale_ == 1 && originX_ == 0 && originY_ == 0 && window_->w == frameWidth &&
        window_->h == frameHeight) {
        frame_ = window_;
    } else {
        frame_ = SDL_CreateRGBSurface(SDL_SWSURFACE, frameWidth, frameHeight, format->BitsPerPixel,
                                      format->Rmask, format->Gmask, format->Bmask, format->Amask);
        ownsFrame_ = frame_ != nullptr;
        // The window around the picture stays black.
        SDL_FillRect(window_, nullptr, SDL_MapRGB(window_->format, 0, 0, 0));
    }
    const SDL_version* linked = SDL_Linked_Version();
    holdsUpdates_ = linked && isCompat(*linked) && window_ == SDL_GetVideoSurface();
    if (frame_) {
        shown_ = SDL_CreateRGBSurface(SDL_SWSURFACE, frameWidth, frameHeight, format->BitsPerPixel,
                                      format->Rmask, format->Gmask, format->Bmask, format->Amask);
    }
}

Presenter::~Presenter() {
    if (shown_) {
        SDL_FreeSurface(shown_);
    }
    if (ownsFrame_) {
        SDL_FreeSurface(frame_);
    }
}

void Presenter::present(bool whole) {
    if (!frame_) {
        return;
    }
    sent_.clear();
    // Without a copy to compare with, every frame goes whole, as a plain flip would send it.
    if (whole || !shownValid_ || !shown_) {
        const SDL_Rect all{0, 0, static_cast<Uint16>(frame_->w), static_cast<Uint16>(frame_->h)};
        sent_.push_back(all);
        enlarge(all);
        remember(all);
        // sdl12-compat shows a whole screen at once.
        SDL_Flip(window_);
        updateMayBeHeld_ = false;
        return;
    }
    findChangedRects();
    if (sent_.empty()) {
        return;
    }
    windowRects_.clear();
    for (const SDL_Rect& rect : sent_) {
        enlarge(rect);
        remember(rect);
        windowRects_.push_back(SDL_Rect{static_cast<Sint16>(originX_ + rect.x * scale_),
                                        static_cast<Sint16>(originY_ + rect.y * scale_),
                                        static_cast<Uint16>(rect.w * scale_),
                                        static_cast<Uint16>(rect.h * scale_)});
    }
    SDL_UpdateRects(window_, static_cast<int>(windowRects_.size()), windowRects_.data());
    if (holdsUpdates_) {
        // Left to the next pass's poll, the frame would wait for whatever the pass does after
        // presenting (the record is written then); a pump now shows it unless it must wait
        // for the display frame.
        SDL_PumpEvents();
        updateMayBeHeld_ = true;
        updatedAt_ = SDL_GetTicks();
    }
}

int Presenter::pumpWithinMs() const {
    if (!updateMayBeHeld_) {
        return -1;
    }
    const Uint32 since = SDL_GetTicks() - updatedAt_;
    if (since >= kLongestHoldMs) {
        return -1;
    }
    return std::min(kHeldPumpSliceMs, static_cast<int>(kLongestHoldMs - since));
}

void Presenter::findChangedRects() {
    const int width = frame_->w;
    const int height = frame_->h;
    const int columns = (width + kTile - 1) / kTile;
    const int rows = (height + kTile - 1) / kTile;
    dirtyTiles_.assign(static_cast<std::size_t>(columns * rows), 0);
    int dirtyCount = 0;
    {
        SurfaceLock lockFrame(frame_);
        for (int y = 0; y < height; ++y) {
            if (!rowsDiffer(frame_, shown_, 0, y, width)) {
                continue;
            }
            unsigned char* tileRow = &dirtyTiles_[static_cast<std::size_t>(y / kTile * columns)];
            for (int column = 0; column < columns; ++column) {
                const int x = column * kTile;
                if (!tileRow[column] &&
                    rowsDiffer(frame_, shown_, x, y, std::min(kTile, width - x))) {
                    tileRow[column] = 1;
                    ++dirtyCount;
                }
            }
        }
    }
    if (dirtyCount == 0) {
        return;
    }
    if (dirtyCount * 100 >= columns * rows * kWholeFramePercent) {
        sent_.push_back(SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)});
        return;
    }

    // Runs of changed tiles along each tile row; a run directly below one of the same extent
    // lengthens it, so a changed square becomes one rectangle, not four rows of tiles.
    struct Run {
        int first, last, top, bottom;  // in tiles, inclusive
        bool open;
    };
    std::vector<Run> runs;
    for (int row = 0; row < rows; ++row) {
        for (Run& run : runs) {
            if (run.open && run.bottom != row - 1) {
                run.open = false;
            }
        }
        int column = 0;
        while (column < columns) {
            if (!dirtyTiles_[static_cast<std::size_t>(row * columns + column)]) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns &&
                   dirtyTiles_[static_cast<std::size_t>(row * columns + column)]) {
                ++column;
            }
            const int last = column - 1;
            auto above = std::find_if(runs.begin(), runs.end(), [&](const Run& run) {
                return run.open && run.bottom == row - 1 && run.first == first && run.last == last;
            });
            if (above != runs.end()) {
                above->bottom = row;
            } else {
                runs.push_back(Run{first, last, row, row, true});
            }
        }
    }

    // Each rectangle shrunk to the pixels that differ in it.
    SurfaceLock lockFrame(frame_);
    for (const Run& run : runs) {
        const int left = run.first * kTile;
        const int right = std::min((run.last + 1) * kTile, width);
        const int top = run.top * kTile;
        const int bottom = std::min((run.bottom + 1) * kTile, height);
        int minX = right;
        int maxX = left - 1;
        int minY = bottom;
        int maxY = top - 1;
        for (int y = top; y < bottom; ++y) {
            if (!rowsDiffer(frame_, shown_, left, y, right - left)) {
                continue;
            }
            int first = 0;
            int last = 0;
            differingSpan(frame_, shown_, left, y, right - left, first, last);
            minX = std::min(minX, first);
            maxX = std::max(maxX, last);
            minY = std::min(minY, y);
            maxY = y;
        }
        if (maxX >= minX) {
            sent_.push_back(SDL_Rect{static_cast<Sint16>(minX), static_cast<Sint16>(minY),
                                     static_cast<Uint16>(maxX - minX + 1),
                                     static_cast<Uint16>(maxY - minY + 1)});
        }
    }
}

void Presenter::enlarge(const SDL_Rect& rect) {
    if (frame_ == window_) {
        return;
    }
    SurfaceLock lockWindow(window_);
    const int bytes = frame_->format->BytesPerPixel;
    const int rowBytes = rect.w * scale_ * bytes;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        const Uint8* source = pixelAddress(frame_, rect.x, y);
        Uint8* target = pixelAddress(window_, originX_ + rect.x * scale_, originY_ + y * scale_);
        if (bytes == 2) {
            const auto* from = reinterpret_cast<const Uint16*>(source);
            auto* to = reinterpret_cast<Uint16*>(target);
            for (int x = 0; x < rect.w; ++x) {
                std::fill_n(to + x * scale_, scale_, from[x]);
            }
        } else {
            for (int x = 0; x < rect.w; ++x) {
                for (int copy = 0; copy < scale_; ++copy) {
                    std::memcpy(target + (x * scale_ + copy) * bytes, source + x * bytes,
                                static_cast<std::size_t>(bytes));
                }
            }
        }
        // The other rows of the block are the same as the first.
        for (int copy = 1; copy < scale_; ++copy) {
            std::memcpy(target + copy * window_->pitch, target, static_cast<std::size_t>(rowBytes));
        }
    }
}

void Presenter::remember(const SDL_Rect& rect) {
    if (!shown_) {
        return;
    }
    SurfaceLock lockFrame(frame_);
    const std::size_t bytes = static_cast<std::size_t>(rect.w * frame_->format->BytesPerPixel);
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        std::memcpy(pixelAddress(shown_, rect.x, y), pixelAddress(frame_, rect.x, y), bytes);
    }
    shownValid_ = true;
}

}  // namespace ixo
