#pragma once

#include <utility>
#include <vector>

#include "SDL.h"

namespace ixo {

// Shows the frame that scenes draw on in the window, enlarged `scale` times and placed at
// (originX, originY), and sends the display only the rectangles that differ from the frame it
// was sent last. Whole-screen flips cost a full upload per click, which on sdl12-compat (an
// SDL 2 texture) is most of a click's way to the screen.
//
// At scale 1 in the window's corner the frame is the window surface itself, so the surface
// holds exactly what the scene drew; otherwise the frame is a picture of its own in the
// window's pixel format, so the drawing is the same pixel for pixel at any scale.
class Presenter {
  public:
    // `window` is not owned; it may be any surface (the tests give one of their own).
    Presenter(SDL_Surface* window, int frameWidth, int frameHeight, int scale, int originX,
              int originY);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Null when the frame's picture could not be made.
    SDL_Surface* frame() const { return frame_; }
    SDL_Surface* window() const { return window_; }
    int scale() const { return scale_; }

    // Sends the frame to the window. `whole` sends all of it: needed for the first frame and
    // whenever the window may have lost what it showed (uncovered, restored).
    void present(bool whole);
    // The rectangles of the frame that the last present() sent; one covering the frame after
    // a whole one, none when nothing differed.
    const std::vector<SDL_Rect>& sentRects() const { return sent_; }

    // sdl12-compat shows an update of part of the screen at an event pump, and only once a
    // display frame has passed since it last showed one. Until such a pump the last update
    // may still be held: this is how soon the loop should pump again, or -1 when nothing can
    // be held (classic SDL shows every update before its call returns).
    int pumpWithinMs() const;

  private:
    void findChangedRects();
    void enlarge(const SDL_Rect& rect);
    void remember(const SDL_Rect& rect);

    SDL_Surface* window_;
    SDL_Surface* frame_ = nullptr;
    SDL_Surface* shown_ = nullptr;  // what the window was last sent, in frame pixels
    bool ownsFrame_ = false;
    bool shownValid_ = false;
    int scale_;
    int originX_;
    int originY_;
    std::vector<SDL_Rect> sent_;
    std::vector<SDL_Rect> windowRects_;
    std::vector<unsigned char> dirtyTiles_;
    bool holdsUpdates_ = false;  // sdl12-compat's screen
    bool updateMayBeHeld_ = false;
    Uint32 updatedAt_ = 0;
};

// The SDL 2 settings, as (name, value), that the game asks sdl12-compat's SDL 2 for, given the
// SDL 1.2 it runs on and whether the window is full screen; none for classic SDL, which has
// no use for them.
std::vector<std::pair<const char*, const char*>> presentationHints(const SDL_version& linked,
                                                                   bool fullscreen);
// Puts those settings in the environment, where SDL 2 reads them, except any the user has set
// already. Before the video mode is set.
void applyPresentationHints(const SDL_version& linked, bool fullscreen);

// The largest whole scale, 1 to 4, at which a frame of this size fits a screen of this size;
// 1 when the screen size is unknown (0) or smaller than the frame.
int fittingScale(int frameWidth, int frameHeight, int screenWidth, int screenHeight);

}  // namespace ixo
