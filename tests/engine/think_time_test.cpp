#include "engine/think_time.h"

#include <algorithm>

#include "gtest/gtest.h"

namespace ixo {
namespace {

std::int64_t thinkMs(int level, ClockRules clock, SideTime own, SideTime other = {},
                     int movesPlayed = 0) {
    const GoTimes times = thinkTime(level, clock, own, other, movesPlayed, 1);
    // One form always: no main time and no increment reaches the engine.
    EXPECT_EQ(times.blueMs, 0);
    EXPECT_EQ(times.redMs, 0);
    EXPECT_EQ(times.blueIncrementMs + times.redIncrementMs, 0);
    EXPECT_EQ(times.moverSide, 1);
    return times.byoyomiMs;
}

// Every level at every clock that gives at least 1 s a move answers, stop and margin
// included, within what its side has left.
TEST(ThinkTime, NoLevelLosesOnTimeWithAtLeastASecondAMove) {
    const ClockRules clocks[] = {
        {0, 1000, 0},      {0, 0, 1000},       {60000, 1000, 0},
        {180000, 0, 2000}, {600000, 30000, 0}, {3600000, 60000, 0},
    };
    const std::int64_t mainLefts[] = {0, 1000, 1200, 5000, 60000, 600000, 3600000};
    for (const ClockRules& clock : clocks) {
        for (const std::int64_t main : mainLefts) {
            if (main > clock.mainMs) {
                continue;
            }
            // With an increment and no main time left a side has already lost; an increment
            // game gives its second a move as main time.
            const SideTime own{clock.incrementMs > 0 ? std::max<std::int64_t>(main, 1000) : main,
                               clock.byoyomiMs};
            for (int level = kMinLevel; level <= kMaxLevel; ++level) {
                for (const int moves : {0, 80, 300}) {
                    const std::int64_t think = thinkMs(level, clock, own, {main, 0}, moves);
                    EXPECT_LE(think + kStopGraceMs + kClockMarginMs, own.mainMs + clock.byoyomiMs)
                        << "level " << level << " main " << main << " moves " << moves;
                    EXPECT_LE(think,
                              std::max<std::int64_t>(levelSettings(level).moveTimeMs,
                                                     level == kMaxLevel ? kLongestThinkMs : 0));
                }
            }
        }
    }
}

TEST(ThinkTime, InByoyomiOnlyWhatIsLeftOfThePeriodCounts) {
    // Main time gone and 3 s of a 30 s period left (the period runs while it is asked).
    EXPECT_EQ(thinkMs(5, {600000, 30000, 0}, {0, 3000}), 500);
    EXPECT_EQ(thinkMs(9, {600000, 30000, 0}, {0, 1500}), 1500 - kStopGraceMs - kClockMarginMs);
    // Nothing left at all still asks for something rather than nothing.
    EXPECT_EQ(thinkMs(1, {60000, 0, 0}, {0, 0}), kShortestThinkMs);
}

TEST(ThinkTime, TheTopLevelUsesAGenerousClockAsAStrongPlayerWould) {
    const ClockRules tenMinutes{600000, 30000, 0};
    // Early: a sixtieth of the main time and most of the period, up to the cap.
    EXPECT_EQ(thinkMs(10, {600000, 0, 0}, {600000, 0}, {600000, 0}), 10000);
    EXPECT_EQ(thinkMs(10, tenMinutes, {600000, 30000}, {600000, 0}), kLongestThinkMs);
    // Later and shorter of time: less a move, never below the level's own 4 s.
    EXPECT_EQ(thinkMs(10, {600000, 0, 0}, {100000, 0}, {100000, 0}, 80), 5000);
    EXPECT_EQ(thinkMs(10, {600000, 0, 0}, {40000, 0}, {40000, 0}, 80), 4000);
    // Time banked over the opponent is spent a little faster.
    EXPECT_GT(thinkMs(10, {600000, 0, 0}, {200000, 0}, {40000, 0}, 80),
              thinkMs(10, {600000, 0, 0}, {200000, 0}, {200000, 0}, 80));
    // Below the top level a generous clock changes nothing.
    EXPECT_EQ(thinkMs(9, tenMinutes, {600000, 30000}), 2000);
}

}  // namespace
}  // namespace ixo
