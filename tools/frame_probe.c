/* Preloaded into the built game (LD_PRELOAD) to time it from outside without touching it:
 * wraps SDL_Flip, reports on stderr how long the process took to its first presented frame
 * (from IXO_PROBE_T0, nanoseconds of CLOCK_REALTIME taken just before the game was started)
 * and, at exit, how many frames it presented per second after that. With
 * IXO_PROBE_EXIT_AFTER=N the game leaves right after its N-th frame.
 * Built by tools/startup_time.sh and tools/idle_cpu.sh. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

struct SDL_Surface;

static long frames;
static double firstFrame;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int SDL_Flip(struct SDL_Surface* screen) {
    static int (*flip)(struct SDL_Surface*);
    if (!flip) {
        flip = (int (*)(struct SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
    }
    const int result = flip(screen);
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
    return result;
}

__attribute__((destructor)) static void reportRate(void) {
    if (frames > 1) {
        fprintf(stderr, "probe: %ld frames, %.0f per second after the first\n", frames,
                (frames - 1) / (now() - firstFrame));
    }
}
