#include "app/event_wait.h"

#include "SDL.h"

#include <poll.h>

#ifdef IXO_X11_WAIT
#include "SDL_syswm.h"
#endif

namespace ixo {

namespace {

bool eventQueued() {
    SDL_PumpEvents();
    SDL_Event event;
    return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0;
}

#ifdef IXO_X11_WAIT
// -1 when SDL does not run on X11 (the dummy driver of the tests, for one).
int x11Connection() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 ||
        info.info.x11.display == nullptr) {
        return -1;
    }
    return ConnectionNumber(info.info.x11.display);
}
#endif

}  // namespace

void waitForEvent(int timeoutMs, int alsoWake) {
    // Pumping first moves whatever the X library has already read off the socket into SDL's
    // queue, so that the socket going quiet below really means nothing is waiting.
    if (eventQueued()) {
        return;
    }
#ifdef IXO_X11_WAIT
    const int connection = x11Connection();
    if (connection >= 0) {
        pollfd watched[2] = {{connection, POLLIN, 0}, {alsoWake, POLLIN, 0}};
        // Whatever woke us (an event, a signal, the timeout), the next poll sorts it out.
        poll(watched, alsoWake >= 0 ? 2 : 1, timeoutMs);
        return;
    }
#endif
    // No descriptor to block on: look again every few milliseconds, which costs next to
    // nothing and bounds the delay of an input.
    constexpr Uint32 kSliceMs = 4;
    const Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < static_cast<Uint32>(timeoutMs)) {
        if (alsoWake >= 0) {
            pollfd watched{alsoWake, POLLIN, 0};
            if (poll(&watched, 1, static_cast<int>(kSliceMs)) > 0) {
                return;
            }
        } else {
            SDL_Delay(kSliceMs);
        }
        if (eventQueued()) {
            return;
        }
    }
}

}  // namespace ixo
