#include "engine/think_time.h"

#include <algorithm>

namespace ixo {

namespace {

// What the mover may spend on this move without losing on time: the main time and the
// byoyomi period. An increment comes only after the move, so it does not count here.
std::int64_t timeForThisMove(const ClockRules& clock, const SideTime& own) {
    const std::int64_t main = std::max<std::int64_t>(own.mainMs, 0);
    if (clock.byoyomiMs <= 0) {
        return main;
    }
    // In main time the whole period is still to come; in byoyomi what is left of it counts.
    const std::int64_t period = main > 0 ? clock.byoyomiMs : own.byoyomiMs;
    return main + std::clamp<std::int64_t>(period, 0, clock.byoyomiMs);
}

// A strong player's time for one move: an even share of the main time over the moves a game
// still has to go, plus most of the period or increment that every move brings anyway. Time
// banked over the opponent is spent a little faster, since it is worth nothing at the end.
std::int64_t strongPlayersShare(const ClockRules& clock, const SideTime& own, const SideTime& other,
                                int movesPlayed) {
    const int ownMovesPlayed = std::max(movesPlayed, 0) / 2;
    // Games run some 60 moves a side; a long one still expects 20 more.
    const std::int64_t movesToGo = std::max(20, 60 - ownMovesPlayed);
    const std::int64_t main = std::max<std::int64_t>(own.mainMs, 0);
    const std::int64_t banked =
        std::max<std::int64_t>(main - std::max<std::int64_t>(other.mainMs, 0), 0);
    const std::int64_t perMove = clock.byoyomiMs > 0 ? clock.byoyomiMs : clock.incrementMs;
    return (main + banked / 2) / movesToGo + perMove * 3 / 4;
}

}  // namespace

GoTimes thinkTime(int level, const ClockRules& clock, const SideTime& own, const SideTime& other,
                  int movesPlayed, int moverSide) {
    std::int64_t think = levelSettings(level).moveTimeMs;
    if (clock.limited()) {
        if (level >= kMaxLevel) {
            think = std::max(think, std::min(strongPlayersShare(clock, own, other, movesPlayed),
                                             kLongestThinkMs));
        }
        // The engine is stopped a moment after its time, and the clock must hold that
        // moment and the margin too.
        const std::int64_t safe = timeForThisMove(clock, own) - kClockMarginMs - kStopGraceMs;
        think = std::max(std::min(think, safe), kShortestThinkMs);
    }
    GoTimes times;
    times.moverSide = moverSide;
    times.byoyomiMs = think;
    return times;
}

}  // namespace ixo
