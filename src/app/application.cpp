#include "app/application.h"

#include "app/event_wait.h"
#include "app/scene.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "media/text.h"

namespace ixo {

namespace {

// A still board waits for input, but never longer than this, so that nothing the event
// source fails to report can hold the loop for good.
constexpr int kIdleWaitLimitMs = 250;

std::string sdlError() {
    const char* error = SDL_GetError();
    return error && *error ? error : "no reason given";
}

}  // namespace

Application::~Application() {
    setScene(nullptr);
}

bool Application::init(const std::string& caption, int width, int height, int bitsPerPixel,
                       bool fullscreen) {
    failure_.clear();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        failure_ = "could not start SDL: " + sdlError();
        return false;
    }
    sdlStarted_ = true;
    SDL_WM_SetCaption(caption.c_str(), nullptr);

    const Uint32 flags = fullscreen ? (SDL_HWSURFACE | SDL_FULLSCREEN) : SDL_HWSURFACE;
    screen_ = SDL_SetVideoMode(width, height, bitsPerPixel, flags);
    if (!screen_) {
        failure_ = "could not open the video mode " + std::to_string(width) + "x" +
                   std::to_string(height) + "x" + std::to_string(bitsPerPixel) + ": " + sdlError();
        return false;
    }

    // A board game needs no sound, so a missing device is no reason to stop here.
    if (!muted_) {
        mixer_.open();
    }

    // A font that fails to decode only leaves the labels blank; the game is still playable.
    createFont();
    return true;
}

int Application::run() {
    for (;;) {
        if (!pollEvents()) {
            break;
        }
        Keyboard::instance().refresh();

        if (!scene_) {
            onTransition(std::string(), std::string());
            continue;
        }
        // The scene is replaced only through onTransition, after its own calls have returned,
        // so none of its operations ever runs on a destroyed object.
        Scene* const current = scene_;
        const std::string updateResult = scene_->update();
        const bool drawn = scene_->draw();
        // A frame uncovered or brought back from the taskbar may have lost its pixels on
        // screen; the surface still holds them, so presenting it again restores the window.
        if (drawn || windowNeedsFrame_) {
            SDL_Flip(screen_);
            ++framesPresented_;
            SDL_Delay(1);
        }
        windowNeedsFrame_ = false;
        const std::string sceneName = scene_->name();
        if (!onTransition(sceneName, updateResult)) {
            break;
        }
        // Nothing new on screen and no input left over: the next pass can only differ once
        // an event comes. A new scene has not drawn yet, so it gets its pass at once.
        if (!drawn && scene_ == current && !Mouse::instance().hasPendingEvents()) {
            const int within = wakeWithinMs();
            waitForEvent(within >= 0 && within < kIdleWaitLimitMs ? within : kIdleWaitLimitMs,
                         wakeDescriptor());
        }
    }
    // The scene's pictures must be freed while SDL still runs.
    setScene(nullptr);
    shutdown();
    return 0;
}

void Application::shutdown() {
    destroyFont();
    // The sounds and their device go before SDL itself.
    mixer_.close();
    if (sdlStarted_) {
        SDL_Quit();
        sdlStarted_ = false;
    }
    // The surface belonged to SDL and is gone with it.
    screen_ = nullptr;
}

void Application::setMuted(bool muted) {
    muted_ = muted;
    // Before init (or after shutdown) this only decides whether init opens the device.
    if (!screen_) {
        return;
    }
    if (muted_) {
        mixer_.close();
    } else {
        mixer_.open();
    }
}

void Application::setScene(Scene* next) {
    // Handing over the live scene again must not destroy it under its owner.
    if (next == scene_) {
        return;
    }
    delete scene_;
    scene_ = next;
}

bool Application::pollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            return false;
        }
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            return false;
        }
        // Every button change and key press is noted as it comes, so that none is lost when
        // it begins and ends between two snapshots.
        if (event.type == SDL_VIDEOEXPOSE ||
            (event.type == SDL_ACTIVEEVENT && event.active.gain != 0 &&
             (event.active.state & SDL_APPACTIVE) != 0)) {
            windowNeedsFrame_ = true;
        } else if (event.type == SDL_KEYDOWN) {
            Keyboard::instance().noteKeyDown(event.key.keysym.sym);
        } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
            Mouse::instance().noteButton(event.button.button, event.type == SDL_MOUSEBUTTONDOWN,
                                         event.button.x, event.button.y);
        }
    }
    return true;
}

bool Application::onTransition(const std::string&, const std::string&) {
    return true;
}

}  // namespace ixo
