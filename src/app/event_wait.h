#pragma once

#include <vector>

namespace ixo {

// Returns when SDL has an event for the program or after timeoutMs, whichever comes first.
// Blocks on the X connection itself where SDL runs on X11, since SDL 1.2's own waiting
// sleeps 10 ms between looks, which would put up to that much on every click's way to the
// screen; elsewhere it looks in short slices. Events that arrive are left for the next poll.
// Input on any of `alsoWake` ends the wait as well (an engine's pipe).
void waitForEvent(int timeoutMs, const std::vector<int>& alsoWake = {});

}  // namespace ixo
