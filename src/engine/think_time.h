#pragma once

#include <cstdint>

#include "engine/usi_commands.h"

namespace ixo {

// The game's time control as the engine's side of it sees it. All zero: no clock.
struct ClockRules {
    std::int64_t mainMs = 0;
    std::int64_t byoyomiMs = 0;
    std::int64_t incrementMs = 0;

    bool limited() const { return mainMs > 0 || byoyomiMs > 0 || incrementMs > 0; }
};

// What one side has left when the engine is asked: main time, then (in byoyomi) what is
// left of the period.
struct SideTime {
    std::int64_t mainMs = 0;
    std::int64_t byoyomiMs = 0;
};

// Kept on the clock beyond the engine's think: the engine's answer to a late `stop`, the
// pipe, the move judged and drawn. With it a clock of 1 s a move is never lost on time.
constexpr std::int64_t kClockMarginMs = 250;
// The shortest think the clock can bring a level down to.
constexpr std::int64_t kShortestThinkMs = 50;
// Level 10 under a generous clock spends what a strong player would, but never more than
// this on one move: a player waits for an answer, not for a tournament game.
constexpr std::int64_t kLongestThinkMs = 15000;

// How long the computer thinks at `level` and the `go` that asks for it: the level's own
// time per move, shortened by the clock (never past what `own` holds for this move, less a
// margin), and at the top level lengthened to a share of a generous clock. `movesPlayed`
// counts plies so far. The answer is always `go btime 0 wtime 0 byoyomi T`: the one form
// both fairy-stockfish and gpsusi honour (gpsusi aborts on movetime and on increments),
// and one that makes the engine's pace the level's and not the clock's.
GoTimes thinkTime(int level, const ClockRules& clock, const SideTime& own, const SideTime& other,
                  int movesPlayed, int moverSide);

}  // namespace ixo
