#include "app/options.h"

#include <cstring>

#include "record/record_store.h"

#ifndef IXO_VERSION
#define IXO_VERSION "unknown"
#endif

namespace ixo {

std::string usage() {
    const GamesFolder folder = gamesFolder();
    return std::string(
               "Usage: ixo-shogi [--fullscreen] [--mute] [--continue | FILE]\n"
               "Shogi for two players sharing one computer and one mouse.\n"
               "\n"
               "  FILE           open a game record (KIF, .kif or .kifu) and go on from its\n"
               "                 last position\n"
               "  --continue     go on with the last game played\n"
               "  --fullscreen   fill the screen instead of opening a window\n"
               "  --mute         play no sounds\n"
               "  --help         show this help and exit\n"
               "  --version      show the version and exit\n"
               "\n"
               "Left click one of your pieces to select it, then a lit square to move there;\n"
               "right click cancels. U or Backspace takes back a move, R replays it,\n"
               "M turns the sound off and on, Esc quits.\n"
               "\n"
               "Every game is kept as a KIF record after every move, in\n"
               "$XDG_DATA_HOME/ixo-shogi/games (by default ~/.local/share/ixo-shogi/games)") +
           (folder.path.empty() ? ";\nhere there is no such folder: " + folder.problem
                                : ",\nhere " + folder.path) +
           ".\n";
}

CommandLine parseCommandLine(int argc, const char* const argv[]) {
    CommandLine line;
    const auto refuse = [&line](const std::string& why) {
        line.exitStatus = 2;
        line.message = "ixo-shogi: " + why + "\n" + usage();
        return line;
    };
    bool optionsEnded = false;
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
                return {Options{}, 0, usage()};
            } else if (std::strcmp(argument, "--version") == 0) {
                return {Options{}, 0, "ixo-shogi " IXO_VERSION "\n"};
            } else if (std::strcmp(argument, "--fullscreen") == 0) {
                line.options.fullscreen = true;
            } else if (std::strcmp(argument, "--mute") == 0) {
                line.options.mute = true;
            } else if (std::strcmp(argument, "--continue") == 0) {
                line.options.continueLast = true;
            } else {
                return refuse(std::string("unknown option ") + argument);
            }
        } else if (line.options.recordPath.empty() && argument[0] != '\0') {
            line.options.recordPath = argument;
        } else {
            return refuse(argument[0] == '\0' ? "an empty file name"
                                              : "only one game can be opened at a time");
        }
    }
    if (line.options.continueLast && !line.options.recordPath.empty()) {
        return refuse("--continue and a FILE cannot both be given");
    }
    return line;
}

}  // namespace ixo
