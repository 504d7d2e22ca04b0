#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SDL.h"
#include "app/presenter.h"
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
    // What scenes draw on: always width x height as given to init(). At scale 1 in a window
    // it is the window's own surface; enlarged, a picture of the same pixel format that the
    // window shows scaled up.
    SDL_Surface* screen() const { return screen_; }

    // How many window pixels each side of a frame pixel becomes, decided before init(): 1 to
    // 4, or 0 for the largest that fits the desktop. Full screen at a scale above 1 takes the
    // desktop's own size, with the frame in its middle.
    void setScale(int scale) { requestedScale_ = scale; }
    // The scale in force after init().
    int scale() const { return scale_; }
    // A PNG shown as the window's icon, set before init(); the bytes must outlive init().
    void setIcon(const unsigned char* png, int size) {
        iconPng_ = png;
        iconSize_ = size;
    }

    // Muted, the audio device is closed (or, before init, never opened); unmuting opens it.
    void setMuted(bool muted);
    bool muted() const { return muted_; }
    Mixer& mixer() { return mixer_; }

    virtual bool pollEvents();
    // Besides the window's events, an idle loop wakes for input on these descriptors
    // and within this many milliseconds (-1 no limit of its own).
    virtual std::vector<int> wakeDescriptors() const { return {}; }
    virtual int wakeWithinMs() const { return -1; }
    virtual bool onTransition(const std::string& sceneName, const std::string& updateResult);

    // What init() could not open, with SDL's reason; empty after a successful init.
    const std::string& failure() const { return failure_; }
    // Frames presented by run(): one per pass whose draw() returned true or whose window was
    // uncovered or restored.
    long framesPresented() const { return framesPresented_; }

  protected:
    // The next pass follows at once instead of waiting for input: for a change to what the
    // scene shows that came from outside its own update (the sound muted, say).
    void passAgain() { passAgain_ = true; }

  private:
    void setIconOnWindow();

    Scene* scene_ = nullptr;
    SDL_Surface* screen_ = nullptr;
    std::unique_ptr<Presenter> presenter_;
    int requestedScale_ = 1;
    int scale_ = 1;
    const unsigned char* iconPng_ = nullptr;
    int iconSize_ = 0;
    bool passAgain_ = false;
    std::string failure_;
    long framesPresented_ = 0;
    bool windowNeedsFrame_ = false;
    bool sdlStarted_ = false;
    bool muted_ = false;
    Mixer mixer_;
};

}  // namespace ixo
