#include "app/application.h"

#include "SDL_image.h"

#include "app/event_wait.h"
#include "app/presenter.h"
#include "game/scene.h"
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
    if (const SDL_version* linked = SDL_Linked_Version()) {
        applyPresentationHints(*linked, fullscreen);
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        failure_ = "could not start SDL: " + sdlError();
        return false;
    }
    sdlStarted_ = true;
    SDL_WM_SetCaption(caption.c_str(), nullptr);
    setIconOnWindow();

    // Only before the first mode is set does SDL report the desktop's size.
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    const int desktopWidth = desktop ? desktop->current_w : 0;
    const int desktopHeight = desktop ? desktop->current_h : 0;
    scale_ = requestedScale_ > 0 ? requestedScale_
                                 : fittingScale(width, height, desktopWidth, desktopHeight);
    int windowWidth = width * scale_;
    int windowHeight = height * scale_;
    // At scale 1 full screen asks for the frame's own mode, as it always has. Enlarged, the
    // desktop's mode is kept, so no monitor has to switch to a size it may not have.
    if (fullscreen && scale_ > 1 && desktopWidth >= windowWidth && desktopHeight >= windowHeight) {
        windowWidth = desktopWidth;
        windowHeight = desktopHeight;
    }

    const Uint32 flags = fullscreen ? (SDL_HWSURFACE | SDL_FULLSCREEN) : SDL_HWSURFACE;
    SDL_Surface* window = SDL_SetVideoMode(windowWidth, windowHeight, bitsPerPixel, flags);
    if (!window) {
        failure_ = "could not open the video mode " + std::to_string(windowWidth) + "x" +
                   std::to_string(windowHeight) + "x" + std::to_string(bitsPerPixel) + ": " +
                   sdlError();
        return false;
    }
    // The mode may come out larger than asked for (full screen); the frame sits in its middle.
    const int originX = window->w > width * scale_ ? (window->w - width * scale_) / 2 : 0;
    const int originY = window->h > height * scale_ ? (window->h - height * scale_) / 2 : 0;
    presenter_ = std::make_unique<Presenter>(window, width, height, scale_, originX, originY);
    screen_ = presenter_->frame();
    if (!screen_) {
        failure_ = "could not make the " + std::to_string(width) + "x" + std::to_string(height) +
                   " frame: " + sdlError();
        return false;
    }
    Mouse::instance().setWindowMapping(scale_, originX, originY);

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
            presenter_->present(windowNeedsFrame_);
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
        if (!drawn && scene_ == current && !Mouse::instance().hasPendingEvents() && !passAgain_) {
            int within = wakeWithinMs();
            // A frame sdl12-compat still holds goes out at a pump.
            const int held = presenter_->pumpWithinMs();
            if (held >= 0 && (within < 0 || held < within)) {
                within = held;
            }
            waitForEvent(within >= 0 && within < kIdleWaitLimitMs ? within : kIdleWaitLimitMs,
                         wakeDescriptors());
        }
        passAgain_ = false;
    }
    // The scene's pictures must be freed while SDL still runs.
    setScene(nullptr);
    shutdown();
    return 0;
}

void Application::shutdown() {
    destroyFont();
    // Its pictures are SDL surfaces.
    presenter_.reset();
    // The sounds and their device go before SDL itself.
    mixer_.close();
    if (sdlStarted_) {
        SDL_Quit();
        sdlStarted_ = false;
    }
    // The surface belonged to SDL and is gone with it.
    screen_ = nullptr;
}

void Application::setIconOnWindow() {
    if (!iconPng_) {
        return;
    }
    SDL_RWops* bytes = SDL_RWFromConstMem(iconPng_, iconSize_);
    SDL_Surface* icon = bytes ? IMG_Load_RW(bytes, 1) : nullptr;
    // A window without its icon is still the game, so a bad picture only goes unseen.
    if (icon) {
        SDL_WM_SetIcon(icon, nullptr);
        SDL_FreeSurface(icon);
    }
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
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE &&
            !(scene_ && scene_->takesEscape())) {
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
