/* Preloaded into the built game (LD_PRELOAD) to time it from outside without touching it:
 * wraps SDL_Flip and SDL_UpdateRects (the game sends a whole frame with the one and only the
 * changed parts with the other; each call is one presented frame), reports on stderr how long the
 * process took to its first presented frame (from IXO_PROBE_T0, nanoseconds of CLOCK_REALTIME taken
 * just before the game was started) and, at exit, how many frames it presented in all and per
 * second after the first. With IXO_PROBE_EXIT_AFTER=N the game leaves right after its N-th frame.
 *
 * With IXO_PROBE_STAMPS=FILE every presented frame appends one line to FILE: the
 * CLOCK_MONOTONIC time in nanoseconds just after the flip returned, the value of the
 * screen's pixel at (X, Y) of IXO_PROBE_PIXEL=X,Y in that frame (so that a driver can tell
 * the frame that shows an input's effect from one that does not; X and Y are window pixels,
 * so at a scale above 1 they name a pixel of the enlarged picture), and how many nanoseconds
 * the presentation itself took.
 * Built by tools/private_xvfb.sh for the measuring scripts. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "SDL.h"

static long frames;
static double firstFrame;
static int stamps = -1;
static int pixelX = -1;
static int pixelY = -1;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static long long monotonicNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static unsigned long pixelAt(SDL_Surface* screen) {
    if (pixelX < 0 || pixelX >= screen->w || pixelY < 0 || pixelY >= screen->h ||
        SDL_LockSurface(screen) != 0) {
        return 0;
    }
    const Uint8* row = (const Uint8*)screen->pixels + pixelY * screen->pitch;
    unsigned long value = 0;
    memcpy(&value, row + pixelX * screen->format->BytesPerPixel, screen->format->BytesPerPixel);
    SDL_UnlockSurface(screen);
    return value;
}

static void stamp(SDL_Surface* screen, long long flipStarted) {
    if (stamps == -2) {
        return;
    }
    if (stamps == -1) {
        const char* path = getenv("IXO_PROBE_STAMPS");
        const char* pixel = getenv("IXO_PROBE_PIXEL");
        stamps = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -2;
        if (stamps < 0) {
            stamps = -2;
            return;
        }
        if (pixel) {
            sscanf(pixel, "%d,%d", &pixelX, &pixelY);
        }
    }
    char line[64];
    const long long flipped = monotonicNs();
    const int length = snprintf(line, sizeof line, "%lld %lx %lld\n", flipped, pixelAt(screen),
                                flipped - flipStarted);
    if (write(stamps, line, (size_t)length) != length) {
        stamps = -2;
    }
}

/* Classic SDL's own SDL_Flip updates the whole screen through SDL_UpdateRects; that inner
 * call is part of the frame already being timed. */
static int presenting;

static void presented(SDL_Surface* screen, long long started) {
    stamp(screen, started);
    if (++frames == 1) {
        firstFrame = now();
        const char* start = getenv("IXO_PROBE_T0");
        if (start) {
            fprintf(stderr, "probe: first frame after %.1f ms\n",
                    (firstFrame - atof(start) / 1e9) * 1000.0);
        }
    }
    const char* last = getenv("IXO_PROBE_EXIT_AFTER");
    if (last && frames >= atol(last)) {
        exit(0);
    }
}

int SDL_Flip(SDL_Surface* screen) {
    static int (*flip)(SDL_Surface*);
    if (!flip) {
        flip = (int (*)(SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
    }
    const long long started = monotonicNs();
    ++presenting;
    const int result = flip(screen);
    --presenting;
    presented(screen, started);
    return result;
}

void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects) {
    static void (*update)(SDL_Surface*, int, SDL_Rect*);
    if (!update) {
        update = (void (*)(SDL_Surface*, int, SDL_Rect*))dlsym(RTLD_NEXT, "SDL_UpdateRects");
    }
    if (presenting) {
        update(screen, count, rects);
        return;
    }
    const long long started = monotonicNs();
    ++presenting;
    update(screen, count, rects);
    --presenting;
    presented(screen, started);
}

__attribute__((destructor)) static void reportRate(void) {
    if (frames > 1) {
        fprintf(stderr, "probe: %ld frames, %.0f per second after the first\n", frames,
                (frames - 1) / (now() - firstFrame));
    } else if (frames == 1) {
        fprintf(stderr, "probe: 1 frame, none after it\n");
    }
}
