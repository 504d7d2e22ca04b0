#include "app/options.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "record/record_store.h"
#include "util/bounded_file.h"

#ifndef IXO_VERSION
#define IXO_VERSION "unknown"
#endif

namespace ixo {

namespace {

// One row per option feeds both the parser and --help, so the two cannot drift apart.
struct OptionRow {
    const char* name;
    const char* argument;  // shown in --help; null for an option that takes none
    int key;               // getopt_long's value for it
    const char* help;      // may hold "\n" for a second line
    // Off for an option that is read and checked but not yet played: --help lists only what
    // the game does.
    bool listed = true;
};

enum OptionKey : int {
    kHelp = 'h',
    kVersion = 0x100,
    kFullscreen,
    kMute,
    kContinue,
    kRules,
    kScale,
    kComputer,
    kEngine,
    kLevel,
    kEngineOption,
    kClock,
    kByoyomi,
    kIncrement,
    kConvert,
    kAnalyse,
    kOutput,
    kAnalysisTime,
    kServer,
    kUser,
    kPasswordFile,
    kServerComments,
};

constexpr OptionRow kOptionRows[] = {
    {"continue", nullptr, kContinue, "go on with the last game played"},
    {"rules", "RULES", kRules,
     "simple (the default): captured pieces leave the game, promotion is\n"
     "forced, no check; standard: shogi as everyone plays it, with drops,\n"
     "the choice to promote, check and mate. A game opened from a record\n"
     "goes on under the rules it was played under"},
    {"fullscreen", nullptr, kFullscreen, "fill the screen instead of opening a window"},
    {"scale", "N|auto", kScale,
     "show every pixel N times larger (1 to 4); auto takes the largest\n"
     "that fits the screen"},
    {"mute", nullptr, kMute, "play no sounds"},
    {"computer", "SIDE", kComputer, "let the computer play red or blue"},
    {"engine", "CMD", kEngine,
     "the USI engine that plays with --computer and gives hints (H): a\n"
     "path, or a name on PATH or in /usr/games (by default fairy-stockfish)"},
    {"level", "N", kLevel, "with --computer, the engine's strength, 1 to 10 (by default 5)"},
    {"engine-option", "NAME=VALUE", kEngineOption, "set one of the engine's options (repeatable)"},
    {"clock", "MAIN", kClock,
     "give each side MAIN time (10m, 90s, 1h30m); whoever runs out of time\n"
     "loses. P pauses and goes on"},
    {"byoyomi", "SEC", kByoyomi, "with --clock: this long for every move after it"},
    {"increment", "SEC", kIncrement, "with --clock: this much more after every move in time"},
    {"convert", "IN", kConvert,
     "with a second name OUT: write the record IN as OUT, in the format its\n"
     "extension names (.kif .kifu .ki2 .ki2u .csa), and exit"},
    {"analyse", "FILE|DIR", kAnalyse,
     "analyse the game record FILE, or each .kif and .kifu in the folder DIR,\n"
     "with the engine (see --engine), without a window; needs --output"},
    {"output", "OUT", kOutput,
     "with --analyse: where the analysed records go, a file for one record\n"
     "or a folder for several"},
    {"analysis-time", "SEC", kAnalysisTime,
     "the engine's time for each position, with --analyse or A in the\n"
     "window (by default 1s)"},
    {"server", "HOST[:PORT]", kServer,
     "play one game on a CSA server (port 4081 by default), our side at the\n"
     "bottom; needs --user, and the password in IXO_CSA_PASSWORD or a file\n"
     "named by --password-file. With --computer ours the engine plays it"},
    {"user", "NAME", kUser, "with --server: the name to log in with"},
    {"password-file", "FILE", kPasswordFile,
     "with --server: read the password from the first line of FILE"},
    {"server-comments", nullptr, kServerComments,
     "with --server and --computer ours: send the engine's score and line\n"
     "with each move, as floodgate shows them"},
    {"help", nullptr, kHelp, "show this help and exit"},
    {"version", nullptr, kVersion, "show the version and exit"},
};

constexpr int kHelpColumn = 17;

// "0.25" or "2" (seconds, at most a day) into milliseconds.
bool readSeconds(const char* text, std::int64_t& ms) {
    char* end = nullptr;
    errno = 0;
    const double seconds = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
        return false;
    }
    ms = static_cast<std::int64_t>(seconds * 1000 + 0.5);
    return true;
}

std::string optionHelp() {
    std::string text =
        "  FILE           open a game record (KIF, KI2 or CSA, whatever its extension)\n"
        "                 and go on from its last position\n";
    for (const OptionRow& row : kOptionRows) {
        if (!row.listed) {
            continue;
        }
        std::string left = std::string("  --") + row.name;
        if (row.argument) {
            left += std::string(" ") + row.argument;
        }
        // A long option and its value get a line of their own, and the help the next.
        if (left.size() + 1 > kHelpColumn) {
            left += "\n";
            left.resize(left.size() + kHelpColumn, ' ');
        }
        left.resize(std::max<std::size_t>(left.size(), kHelpColumn), ' ');
        text += left;
        for (const char* help = row.help; *help != '\0'; ++help) {
            text += *help;
            if (*help == '\n') {
                text += std::string(kHelpColumn, ' ');
            }
        }
        text += '\n';
    }
    return text;
}

// A duration for one of the clock options; false (and `why`) when it is not one.
bool readDuration(const char* option, const char* text, std::int64_t& ms, std::string& why) {
    if (parseDuration(text, ms)) {
        return true;
    }
    why = std::string("--") + option + " takes a time such as 10m, 30s or 90, not '" + text + "'";
    return false;
}

// "host", "host:4081", "[::1]:4081" or "[::1]"; an address with more than one colon is IPv6,
// which must be bracketed to carry a port.
bool readServerAddress(const std::string& text, std::string& host, int& port) {
    std::string portText;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':')) {
            return false;
        }
        host = text.substr(1, close - 1);
        hasPort = close + 1 < text.size();
        portText = hasPort ? text.substr(close + 2) : "";
    } else {
        const std::size_t colon = text.find(':');
        hasPort = colon != std::string::npos && text.find(':', colon + 1) == std::string::npos;
        host = hasPort ? text.substr(0, colon) : text;
        portText = hasPort ? text.substr(colon + 1) : "";
    }
    if (host.empty() || host.find_first_of(" \t\r\n") != std::string::npos) {
        return false;
    }
    if (!hasPort) {
        return true;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(portText.c_str(), &end, 10);
    if (portText.empty() || errno != 0 || *end != '\0' ||
        !std::isdigit(static_cast<unsigned char>(portText[0])) || value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

// What a game on a server may be given: the server chooses the rules, the clock and the side,
// and the game is a new one.
template <typename Refuse>
CommandLine checkServerGame(CommandLine& line, const Refuse& refuse) {
    const Options& options = line.options;
    if (options.serverUser.empty()) {
        return refuse("--server needs --user");
    }
    if (!options.recordPath.empty() || options.continueLast || !options.convertFrom.empty() ||
        !options.analyseFrom.empty()) {
        return refuse(
            "--server plays a new game: it takes no record, --continue, --convert "
            "or --analyse");
    }
    if (options.rulesGiven || options.clockGiven || options.computerSide >= 0) {
        return refuse(
            "--server: the server sets the rules, the clock and the side (use "
            "--computer ours for the engine)");
    }
    if (options.levelGiven && !options.serverComputer) {
        return refuse("--level needs --computer");
    }
    if (options.serverComments && !options.serverComputer) {
        return refuse("--server-comments needs --computer ours");
    }
    const char* password = std::getenv("IXO_CSA_PASSWORD");
    if (options.passwordFile.empty() && (!password || *password == '\0')) {
        return refuse(
            "--server needs the password in IXO_CSA_PASSWORD or a file named by "
            "--password-file (never on the command line)");
    }
    return line;
}

}  // namespace

bool readServerPassword(const Options& options, std::string& password, std::string& error) {
    if (options.passwordFile.empty()) {
        const char* value = std::getenv("IXO_CSA_PASSWORD");
        password = value ? value : "";
        if (password.empty()) {
            error = "IXO_CSA_PASSWORD is empty";
            return false;
        }
        return true;
    }
    std::string bytes;
    int systemError = 0;
    // A password file is a line or two; anything larger is not one.
    constexpr std::size_t kLongestFile = 4096;
    const BoundedReadFault fault =
        readBoundedFile(options.passwordFile, kLongestFile, bytes, systemError);
    if (fault != BoundedReadFault::None) {
        const std::string why = fault == BoundedReadFault::System     ? std::strerror(systemError)
                                : fault == BoundedReadFault::TooLarge ? "it is too large for one"
                                                                      : "it is not a file";
        error = "cannot read the password file " + options.passwordFile + ": " + why;
        return false;
    }
    password = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (password.empty()) {
        error = "the password file " + options.passwordFile + " has no password on its first line";
        return false;
    }
    return true;
}

std::string usage() {
    const GamesFolder folder = gamesFolder();
    return std::string(
               "Usage: ixo-shogi [--fullscreen] [--scale N|auto] [--mute] [--rules RULES]\n"
               "                 [--computer SIDE [--level N]] [--engine CMD]\n"
               "                 [--engine-option NAME=VALUE]... [--continue | FILE]\n"
               "       ixo-shogi --server HOST[:PORT] --user NAME [--computer ours]\n"
               "Shogi for two players sharing one computer and one mouse.\n"
               "\n") +
           optionHelp() +
           "\n"
           "Left click one of your pieces to select it, then a lit square to move there;\n"
           "right click cancels. U or Backspace takes back a move, R replays it,\n"
           "M turns the sound off and on, P pauses a game with a clock, Esc quits.\n"
           "N (pressed twice) opens the new-game panel: rules, opponent, level, clock and\n"
           "handicap, chosen with the mouse; Enter starts that game, Esc goes back to this one.\n"
           "Under the standard rules G resigns and D declares an impasse win (each\n"
           "pressed twice).\n"
           "H shows the engine's best move for the side to move (H again takes it\n"
           "away); against the computer, E restarts its engine. F turns the board round.\n"
           "\n"
           "On a server (--server) the server plays the other side and judges the game:\n"
           "G and D pressed twice resign and declare through it, and Esc leaves it.\n"
           "Once it is over, N twice offers another game there, or one here.\n"
           "\n"
           "The computer thinks as long as its level says, from 0.1 s a move at level 1\n"
           "to 4 s at level 10, and less when its clock cannot afford that. At level 10\n"
           "a generous clock buys it more: a share of its time, at most 15 s a move.\n"
           "\n"
           "A start without --rules, --computer, --level or --clock plays the last game\n"
           "chosen with them, kept in $XDG_CONFIG_HOME/ixo-shogi/last-game (by default\n"
           "~/.config/ixo-shogi/last-game).\n"
           "\n"
           "Every game is kept as a KIF record after every move, in\n"
           "$XDG_DATA_HOME/ixo-shogi/games (by default ~/.local/share/ixo-shogi/games)" +
           (folder.path.empty() ? ";\nhere there is no such folder: " + folder.problem
                                : ",\nhere " + folder.path) +
           ".\n";
}

GameChoice chooseGame(const GameChoice& remembered, Options& options) {
    const bool lineChooses =
        options.rulesGiven || options.computerSide >= 0 || options.levelGiven || options.clockGiven;
    if (!lineChooses) {
        options.rules = remembered.rules;
        options.computerSide = remembered.computerSide;
        options.level = remembered.level;
        options.timeControl = remembered.timeControl;
        options.clockGiven = remembered.timeControl.limited();
    }
    if (options.engine.empty()) {
        options.engine = remembered.engine;
    }
    GameChoice chosen = choiceOf(options);
    // No option names a handicap, so only a remembered game keeps one.
    chosen.handicap = lineChooses ? std::string() : remembered.handicap;
    return chosen;
}

GameChoice choiceOf(const Options& options) {
    GameChoice chosen;
    chosen.rules = options.rules;
    chosen.computerSide = options.computerSide;
    chosen.level = options.level;
    chosen.timeControl = options.clockGiven ? options.timeControl : TimeControl{};
    chosen.engine = options.engine;
    return chosen;
}

CommandLine parseCommandLine(int argc, const char* const argv[]) {
    CommandLine line;
    bool byoyomiGiven = false;
    bool analysisTimeGiven = false;
    bool incrementGiven = false;
    std::string why;
    const auto refuse = [&line](const std::string& why) {
        line.exitStatus = 2;
        line.message = "ixo-shogi: " + why + "\n" + usage();
        return line;
    };

    std::vector<option> longOptions;
    for (const OptionRow& row : kOptionRows) {
        longOptions.push_back(
            {row.name, row.argument ? required_argument : no_argument, nullptr, row.key});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    // getopt_long permutes the pointers (never the strings), so it gets a copy of the array;
    // that keeps "ixo-shogi game.kifu --mute" working as every GNU program does.
    std::vector<char*> arguments;
    for (int index = 0; index < argc; ++index) {
        arguments.push_back(const_cast<char*>(argv[index]));
    }
    arguments.push_back(nullptr);
    // The messages are our own, so the parser stays quiet; 0 makes glibc start afresh, which
    // the tests rely on when they parse many command lines in one process.
    opterr = 0;
    optind = 0;
    for (;;) {
        const int key = getopt_long(argc, arguments.data(), ":h", longOptions.data(), nullptr);
        if (key == -1) {
            break;
        }
        switch (key) {
            case kHelp:
                return {Options{}, 0, usage()};
            case kVersion:
                return {Options{}, 0, "ixo-shogi " IXO_VERSION "\n"};
            case kFullscreen:
                line.options.fullscreen = true;
                break;
            case kAnalyse:
            case kOutput:
                if (optarg[0] == '\0') {
                    return refuse("an empty file name");
                }
                (key == kAnalyse ? line.options.analyseFrom : line.options.analyseTo) = optarg;
                break;
            case kAnalysisTime:
                // Seconds with a fraction ("0.2") as well as the clock's forms: an analysis
                // of a long game is often run at a fraction of a second a position.
                if (!readSeconds(optarg, line.options.analysisMs) &&
                    !readDuration("analysis-time", optarg, line.options.analysisMs, why)) {
                    return refuse(why);
                }
                analysisTimeGiven = true;
                break;
            case kConvert:
                if (optarg[0] == '\0') {
                    return refuse("an empty file name");
                }
                line.options.convertFrom = optarg;
                break;
            case kMute:
                line.options.mute = true;
                break;
            case kContinue:
                line.options.continueLast = true;
                break;
            case kRules:
                if (std::strcmp(optarg, "simple") == 0) {
                    line.options.rules = RuleSet::Simple;
                } else if (std::strcmp(optarg, "standard") == 0) {
                    line.options.rules = RuleSet::Standard;
                } else {
                    return refuse(std::string("--rules is simple or standard, not ") + optarg);
                }
                line.options.rulesGiven = true;
                break;
            case kScale:
                if (std::strcmp(optarg, "auto") == 0) {
                    line.options.scale = 0;
                } else if (optarg[0] >= '1' && optarg[0] <= '4' && optarg[1] == '\0') {
                    line.options.scale = optarg[0] - '0';
                } else {
                    return refuse(std::string("--scale is 1, 2, 3, 4 or auto, not ") + optarg);
                }
                break;
            case kComputer:
                if (std::strcmp(optarg, "ours") == 0) {
                    line.options.serverComputer = true;
                } else if (std::strcmp(optarg, "blue") == 0) {
                    line.options.computerSide = 0;
                } else if (std::strcmp(optarg, "red") == 0) {
                    line.options.computerSide = 1;
                } else {
                    return refuse(std::string("--computer is red or blue, not '") + optarg + "'");
                }
                break;
            case kEngine:
                if (*optarg == '\0') {
                    return refuse("--engine needs the name or path of a program");
                }
                line.options.engine = optarg;
                break;
            case kLevel: {
                char* end = nullptr;
                const long level = std::strtol(optarg, &end, 10);
                if (*optarg == '\0' || *end != '\0' || level < kMinLevel || level > kMaxLevel) {
                    return refuse(std::string("--level is a number from 1 to 10, not '") + optarg +
                                  "'");
                }
                line.options.level = static_cast<int>(level);
                line.options.levelGiven = true;
                break;
            }
            case kEngineOption: {
                const char* equals = std::strchr(optarg, '=');
                // An engine reads lines: a line break in an option would be a command of
                // its own.
                if (!equals || equals == optarg || std::strpbrk(optarg, "\n\r")) {
                    return refuse(std::string("--engine-option takes NAME=VALUE, not '") + optarg +
                                  "'");
                }
                line.options.engineOptions.emplace_back(
                    std::string(optarg, static_cast<std::size_t>(equals - optarg)), equals + 1);
                break;
            }
            case kClock:
                if (!readDuration("clock", optarg, line.options.timeControl.mainMs, why)) {
                    return refuse(why);
                }
                line.options.clockGiven = true;
                break;
            case kByoyomi:
                if (!readDuration("byoyomi", optarg, line.options.timeControl.byoyomiMs, why)) {
                    return refuse(why);
                }
                byoyomiGiven = true;
                break;
            case kIncrement:
                if (!readDuration("increment", optarg, line.options.timeControl.incrementMs, why)) {
                    return refuse(why);
                }
                incrementGiven = true;
                break;
            case kServer:
                if (!readServerAddress(optarg, line.options.serverHost, line.options.serverPort)) {
                    return refuse(std::string("--server takes HOST or HOST:PORT, not '") + optarg +
                                  "'");
                }
                break;
            case kUser:
            case kPasswordFile:
                if (*optarg == '\0') {
                    return refuse(std::string(key == kUser ? "--user" : "--password-file") +
                                  " needs a value");
                }
                (key == kUser ? line.options.serverUser : line.options.passwordFile) = optarg;
                break;
            case kServerComments:
                line.options.serverComments = true;
                break;
            case ':':
                return refuse(std::string("option ") + arguments[optind - 1] + " needs a value");
            default:
                // glibc leaves the long option's own value in optopt when it was given one
                // it does not take ("--mute=yes").
                if (optopt >= kVersion) {
                    return refuse(std::string("option ") + arguments[optind - 1] +
                                  " takes no value");
                }
                if (optopt != 0 && optopt != '?') {
                    return refuse(std::string("unknown option -") + static_cast<char>(optopt));
                }
                return refuse(std::string("unknown option ") + arguments[optind - 1]);
        }
        if (key >= kComputer && key <= kIncrement) {
            line.options.engineOrClockGiven = true;
        }
        if (line.exitStatus >= 0) {
            return line;
        }
    }
    for (int index = optind; index < argc; ++index) {
        const char* argument = arguments[index];
        if (line.options.recordPath.empty() && argument[0] != '\0') {
            line.options.recordPath = argument;
        } else {
            return refuse(argument[0] == '\0' ? "an empty file name"
                                              : "only one game can be opened at a time");
        }
    }
    // Without --analyse the time is A's, in the window.
    if (analysisTimeGiven && line.options.analysisMs <= 0) {
        return refuse("--analysis-time needs some time");
    }
    if (!line.options.analyseFrom.empty() || !line.options.analyseTo.empty()) {
        if (line.options.analyseFrom.empty() || line.options.analyseTo.empty()) {
            return refuse("--analyse FILE|DIR and --output OUT go together");
        }
        // The engine and its options choose who analyses; nothing else means anything here.
        if (!line.options.recordPath.empty() || line.options.continueLast ||
            line.options.computerSide >= 0 || line.options.clockGiven ||
            !line.options.convertFrom.empty()) {
            return refuse(
                "--analyse takes only --output, --analysis-time and the engine's options");
        }
        return line;
    }
    const bool serverPart = !line.options.serverUser.empty() ||
                            !line.options.passwordFile.empty() || line.options.serverComments ||
                            line.options.serverComputer;
    if (line.options.serverHost.empty() && serverPart) {
        return refuse(line.options.serverComputer ? "--computer ours needs --server"
                                                  : "--user, --password-file and "
                                                    "--server-comments need --server");
    }
    if (!line.options.serverHost.empty()) {
        return checkServerGame(line, refuse);
    }
    if (!line.options.convertFrom.empty()) {
        // The one name left over is where the record goes; nothing else means anything here.
        if (line.options.recordPath.empty()) {
            return refuse("--convert needs the name of the record to write after IN");
        }
        if (line.options.continueLast || line.options.engineOrClockGiven ||
            line.options.rulesGiven) {
            return refuse("--convert takes only IN and OUT");
        }
        line.options.convertTo = line.options.recordPath;
        line.options.recordPath.clear();
        return line;
    }
    if (line.options.continueLast && !line.options.recordPath.empty()) {
        return refuse("--continue and a FILE cannot both be given");
    }
    // The engine and its options serve hints in any game, but a level is the opponent's.
    if (line.options.levelGiven && line.options.computerSide < 0) {
        return refuse("--level needs --computer");
    }
    if (byoyomiGiven && incrementGiven) {
        return refuse("--byoyomi and --increment cannot both be given");
    }
    if ((byoyomiGiven || incrementGiven) && !line.options.clockGiven) {
        return refuse(std::string(byoyomiGiven ? "--byoyomi" : "--increment") + " needs --clock");
    }
    if (line.options.clockGiven && !line.options.timeControl.limited()) {
        return refuse("a --clock of no time needs --byoyomi or --increment");
    }
    if (incrementGiven && line.options.timeControl.mainMs == 0) {
        return refuse("--increment needs some main time: it is earned only after a move");
    }
    return line;
}

}  // namespace ixo
