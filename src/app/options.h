#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clock/game_clock.h"
#include "engine/usi_commands.h"

#include "settings/settings.h"
#include "shogi/position.h"

namespace ixo {

// What the command line asked for. With no arguments every field keeps its default and the
// game starts exactly as it always has.
struct Options {
    bool fullscreen = false;          // --fullscreen
    int scale = 1;                    // --scale: 1 to 4, or 0 for "auto" (the largest that fits)
    bool mute = false;                // --mute: no sound, and no audio device opened
    bool continueLast = false;        // --continue: the newest record in the games folder
    std::string recordPath;           // FILE: a KIF record to open; empty for a new game
    RuleSet rules = RuleSet::Simple;  // --rules; an opened record brings its own
    bool rulesGiven = false;          // --rules was on the command line

    int computerSide = -1;      // --computer: 0 Blue, 1 Red, -1 nobody
    std::string engine;         // --engine: a path or a name; empty for fairy-stockfish
    int level = kDefaultLevel;  // --level
    bool levelGiven = false;
    std::vector<std::pair<std::string, std::string>> engineOptions;  // --engine-option N=V
    bool clockGiven = false;  // --clock, with --byoyomi or --increment
    TimeControl timeControl;
    bool engineOrClockGiven = false;  // any of the seven options above
    // --convert IN OUT: one record written in OUT's format (by its extension), no window.
    std::string convertFrom;
    std::string convertTo;
    // --analyse FILE|DIR --output OUT [--analysis-time SEC]: records analysed, no window.
    std::string analyseFrom;
    std::string analyseTo;
    std::int64_t analysisMs = 1000;
};

// What the command line asks for. When `exitStatus` is 0 or more the program prints
// `message` (on stdout for 0, on stderr otherwise) and exits with it before opening anything.
struct CommandLine {
    Options options;
    int exitStatus = -1;
    std::string message;
};

CommandLine parseCommandLine(int argc, const char* const argv[]);

// The --help text: the options, the keys, and where the records are kept.
std::string usage();

// A new game (no record opened or continued) starts as `remembered` where the command line
// left it open. Rules, opponent, level and clock go together: naming any of them on the
// command line chooses the whole game, and --engine wins over the remembered engine. Returns
// the game this start plays, which is the one to remember once it is on the screen.
GameChoice chooseGame(const GameChoice& remembered, Options& options);
// The game `options` start, without a handicap (no option names one).
GameChoice choiceOf(const Options& options);

}  // namespace ixo
