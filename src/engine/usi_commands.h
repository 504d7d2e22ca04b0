#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ixo {

// The times a `go` carries, in milliseconds. Blue is sente (b), Red gote (w).
struct GoTimes {
    int moverSide = 0;  // who is to move in the position searched
    std::int64_t blueMs = 0;
    std::int64_t redMs = 0;
    std::int64_t byoyomiMs = 0;
    std::int64_t blueIncrementMs = 0;
    std::int64_t redIncrementMs = 0;

    // The most the mover may think: its main time and its byoyomi or increment.
    std::int64_t moverBudgetMs() const;
};

// An engine still searching this long after the mover's budget is told to stop, and its
// answer taken: gpsusi thinks about a second whatever shorter byoyomi it is given.
constexpr std::int64_t kStopGraceMs = 100;

// `position startpos [moves ...]` or `position sfen S [moves ...]`. An empty `sfen` or the
// word "startpos" means the start position.
std::string positionCommand(const std::string& sfen, const std::vector<std::string>& moves);

// `go btime B wtime W byoyomi Y`, or with binc/winc. gpsusi aborts on binc and winc, so for
// it (`takesIncrement` false) an increment game sends the main times alone, which it
// manages by itself. No ponder, movetime, depth, nodes or searchmoves is ever sent: gpsusi
// aborts on each of them and nothing here needs them.
std::string goCommand(const GoTimes& times, bool takesIncrement);

// Strength from 1 to 10. fairy-stockfish's `Skill Level` (-20 to 20) does most of the work
// and the time per move the rest; an engine without that option is made weaker by time alone.
constexpr int kMinLevel = 1;
constexpr int kMaxLevel = 10;
constexpr int kDefaultLevel = 5;
struct LevelSettings {
    int skillLevel = 20;
    int moveTimeMs = 1000;
};
LevelSettings levelSettings(int level);

// The rule set that fairy-stockfish does not know by itself: captures leave the game, no
// drops, forced promotion, and the game ends when a king is taken (there is no check).
constexpr const char* kSimpleRulesVariant = "nodropshogi";
// Where the game finds the definition, relative to its working folder (beside ../image/).
constexpr const char* kSimpleRulesVariantFile = "../variants/nodropshogi.ini";

}  // namespace ixo
