#pragma once

#include <string>
#include <vector>

#include "clock/game_clock.h"
#include "engine/usi_commands.h"
#include "shogi/position.h"

namespace ixo {

// The last game a player chose, kept for the next start. The defaults are the game a first
// start plays: two players under the simple rules, no clock.
struct GameChoice {
    RuleSet rules = RuleSet::Simple;
    int computerSide = -1;  // 0 Blue, 1 Red, -1 two players
    int level = kDefaultLevel;
    TimeControl timeControl;  // all zero: no clock
    std::string handicap;     // a KIF handicap name for the standard rules; empty for even
    std::string engine;       // as named with --engine; empty for the default engine

    bool operator==(const GameChoice& other) const;
    bool operator!=(const GameChoice& other) const { return !(*this == other); }
};

// The engine a game plays and hints with when none is named.
constexpr const char* kDefaultEngine = "fairy-stockfish";

// A settings file past this size was not written by the game; it is ignored whole.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

// $XDG_CONFIG_HOME/ixo-shogi/last-game, or ~/.config/ixo-shogi/last-game; empty when neither
// names an absolute folder (a relative XDG_CONFIG_HOME is ignored, as XDG asks).
std::string settingsPathFor(const char* xdgConfigHome, const char* home);
std::string settingsPath();  // from the environment

// What a settings text holds, and one line for each thing that was ignored in it.
struct SettingsReading {
    GameChoice choice;
    std::vector<std::string> ignored;
};

// `key = value` lines; `#` starts a comment line. Anything it does not understand is ignored
// and said, never refused: the defaults stand in for it.
SettingsReading readGameChoice(const std::string& text);
std::string writeGameChoice(const GameChoice& choice);

// The remembered game at `path`. A missing file is a first start and ignores nothing; a file
// that cannot be read, or an engine that is not installed, is ignored and said; so is a
// computer opponent when no engine is named and `defaultEngine` is not installed.
SettingsReading loadGameChoice(const std::string& path,
                               const std::string& defaultEngine = kDefaultEngine);
// Replaces the file at `path` whole or not at all, making its folder when needed.
bool saveGameChoice(const std::string& path, const GameChoice& choice, std::string& error);

// One message for the terminal about what was ignored in `path`; empty when nothing was.
std::string ignoredReport(const std::string& path, const std::vector<std::string>& ignored);

}  // namespace ixo
