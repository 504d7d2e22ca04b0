#pragma once

namespace ixo {

// Returns when SDL has an event for the program or after timeoutMs, whichever comes first.
// Blocks on the X connection itself where SDL runs on X11, since SDL 1.2's own waiting
// sleeps 10 ms between looks, which would put up to that much on every click's way to the
// screen; elsewhere it looks in short slices. Events that arrive are left for the next poll.
// `alsoWake`, when not -1, is one more descriptor whose input ends the wait (an engine's pipe).
void waitForEvent(int timeoutMs, int alsoWake = -1);

}  // namespace ixo
