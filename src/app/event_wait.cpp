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

void waitForEvent(int timeoutMs, const std::vector<int>& alsoWake) {
    // The X connection, then every peer's descriptor: the opponent engine, the hint, both
    // analysts and a server may all be open at once, and one left out would only be read
    // when the wait times out.
    std::vector<pollfd> watched(1, pollfd{-1, POLLIN, 0});
    for (const int descriptor : alsoWake) {
        if (descriptor >= 0) {
            watched.push_back(pollfd{descriptor, POLLIN, 0});
        }
    }
    const nfds_t count = watched.size();
    // Pumping first moves whatever the X library has already read off the socket into SDL's
    // queue, so that the socket going quiet below really means nothing is waiting.
    if (eventQueued()) {
        return;
    }
#ifdef IXO_X11_WAIT
    const int connection = x11Connection();
    if (connection >= 0) {
        watched[0] = {connection, POLLIN, 0};
        // Whatever woke us (an event, a signal, the timeout), the next poll sorts it out.
        poll(watched.data(), count, timeoutMs);
        return;
    }
#endif
    // No descriptor to block on: look again every few milliseconds, which costs next to
    // nothing and bounds the delay of an input.
    constexpr Uint32 kSliceMs = 4;
    const Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < static_cast<Uint32>(timeoutMs)) {
        if (count > 1) {
            if (poll(watched.data() + 1, count - 1, static_cast<int>(kSliceMs)) > 0) {
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
