#include <cstdio>

#include "SDL.h"
#include "app/shogi_app.h"

int main(int, char*[]) {
    // "Ixo" and the two characters of the word shogi in UTF-8, which is what SDL 1.2 hands on
    // to X11 for a window title.
    static const char caption[] = "Ixo\xE5\xB0\x86\xE6\xA3\x8B";

    ixo::ShogiApp application;
    if (!application.init(caption, 800, 600, 16, false)) {
        // Without a screen or a font there is nothing to draw on; say why and leave.
        std::fprintf(stderr, "ixo-shogi: %s\n", application.failure().c_str());
        application.shutdown();
        return 1;
    }
    return application.run();
}
