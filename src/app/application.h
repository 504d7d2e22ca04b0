#pragma once

#include <string>

#include "SDL.h"
#include "media/sound.h"

namespace ixo {

class Scene;

// Opens SDL, the window and (unless muted) the audio device, drives the current scene once
// per pass of the main loop, and shuts everything down in order. Owns the current scene.
class Application {
  public:
    Application() = default;
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // True when SDL and the window are open: with those the game can be played. A sound
    // device that cannot be opened is told on stderr and the game goes on silent. On false,
    // failure() names what could not be opened and what was opened is still open (shutdown()
    // closes it).
    bool init(const std::string& caption, int width, int height, int bitsPerPixel, bool fullscreen);
    int run();
    void shutdown();

    // Takes ownership. Passing the current scene again keeps it.
    void setScene(Scene* next);
    Scene* scene() const { return scene_; }
    SDL_Surface* screen() const { return screen_; }

    // Muted, the audio device is closed (or, before init, never opened); unmuting opens it.
    void setMuted(bool muted);
    bool muted() const { return muted_; }
    Mixer& mixer() { return mixer_; }

    virtual bool pollEvents();
    // Besides the window's events, an idle loop wakes for input on this descriptor (-1 none)
    // and within this many milliseconds (-1 no limit of its own).
    virtual int wakeDescriptor() const { return -1; }
    virtual int wakeWithinMs() const { return -1; }
    virtual bool onTransition(const std::string& sceneName, const std::string& updateResult);

    // What init() could not open, with SDL's reason; empty after a successful init.
    const std::string& failure() const { return failure_; }
    // Frames presented by run(): one per pass whose draw() returned true or whose window was
    // uncovered or restored.
    long framesPresented() const { return framesPresented_; }

  private:
    Scene* scene_ = nullptr;
    SDL_Surface* screen_ = nullptr;
    std::string failure_;
    long framesPresented_ = 0;
    bool windowNeedsFrame_ = false;
    bool sdlStarted_ = false;
    bool muted_ = false;
    Mixer mixer_;
};

}  // namespace ixo
