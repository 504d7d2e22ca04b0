#include "clock/game_clock.h"

#include "gtest/gtest.h"

namespace ixo {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;

TEST(Duration, ReadsMinutesSecondsAndBareNumbers) {
    std::int64_t ms = -1;
    EXPECT_TRUE(parseDuration("10m", ms));
    EXPECT_EQ(ms, 10 * kMinute);
    EXPECT_TRUE(parseDuration("30s", ms));
    EXPECT_EQ(ms, 30 * kSecond);
    EXPECT_TRUE(parseDuration("90", ms));
    EXPECT_EQ(ms, 90 * kSecond);
    EXPECT_TRUE(parseDuration("1m30", ms));
    EXPECT_EQ(ms, 90 * kSecond);
    EXPECT_TRUE(parseDuration("1h", ms));
    EXPECT_EQ(ms, 60 * kMinute);
    for (const char* wrong :
         {"", "m", "10x", "-5", "1s1m", "5m5m", "99999999999999999999", "25h"}) {
        ms = -1;
        EXPECT_FALSE(parseDuration(wrong, ms)) << wrong;
        EXPECT_EQ(ms, -1);
    }
}

TEST(GameClock, ByoyomiComesBackWholeForEveryMoveAndTheFlagFallsPastIt) {
    GameClock clock(TimeControl{10 * kSecond, 30 * kSecond, 0});
    clock.start(0, 0);
    // Blue uses its main time and 20 s of byoyomi.
    MoveTime cost = clock.moveMade(30 * kSecond);
    EXPECT_EQ(cost.usedMs, 30 * kSecond);
    EXPECT_TRUE(cost.inTime);
    EXPECT_EQ(clock.left(0, 30 * kSecond).mainMs, 0);
    EXPECT_EQ(clock.left(0, 30 * kSecond).byoyomiMs, 30 * kSecond);
    EXPECT_EQ(clock.left(1, 35 * kSecond).mainMs, 5 * kSecond);
    clock.moveMade(31 * kSecond);
    // Blue in byoyomi: the last millisecond is in time, the next is not.
    EXPECT_EQ(clock.outOfTime(61 * kSecond), -1);
    EXPECT_EQ(clock.outOfTime(61 * kSecond + 1), 0);
    cost = clock.moveMade(62 * kSecond);
    EXPECT_FALSE(cost.inTime);
    EXPECT_EQ(cost.totalMs, 61 * kSecond);
}

TEST(GameClock, AnIncrementIsEarnedOnlyInTime) {
    GameClock clock(TimeControl{kMinute, 0, 5 * kSecond});
    clock.start(0, 0);
    clock.moveMade(10 * kSecond);
    EXPECT_EQ(clock.left(0, 10 * kSecond).mainMs, 55 * kSecond);
    clock.moveMade(10 * kSecond);
    EXPECT_EQ(clock.outOfTime(65 * kSecond), -1);
    EXPECT_EQ(clock.outOfTime(65 * kSecond + 1), 0);
}

TEST(GameClock, APauseStopsTheMoversTime) {
    GameClock clock(TimeControl{kMinute, 0, 0});
    clock.start(1, 0);
    clock.pause(10 * kSecond);
    EXPECT_EQ(clock.msUntilChange(100 * kSecond), -1);
    EXPECT_EQ(clock.left(1, 500 * kSecond).mainMs, 50 * kSecond);
    clock.resume(500 * kSecond);
    const MoveTime cost = clock.moveMade(505 * kSecond);
    EXPECT_EQ(cost.usedMs, 15 * kSecond);
    EXPECT_EQ(clock.left(1, 505 * kSecond).mainMs, 45 * kSecond);
}

TEST(GameClock, WithoutALimitItOnlyMeasures) {
    GameClock clock;
    clock.start(0, 1000);
    EXPECT_EQ(clock.moveMade(4500).usedMs, 3500);
    EXPECT_EQ(clock.moveMade(6000).usedMs, 1500);
    const MoveTime cost = clock.moveMade(10000);
    EXPECT_EQ(cost.totalMs, 7500);
    EXPECT_TRUE(cost.inTime);
    EXPECT_EQ(clock.outOfTime(1000000000), -1);
    EXPECT_EQ(clock.msUntilChange(10000), -1);
}

TEST(GameClock, TheLoopWakesWhenTheShownSecondChanges) {
    GameClock clock(TimeControl{2 * kSecond, 10 * kSecond, 0});
    clock.start(0, 0);
    EXPECT_EQ(clock.msUntilChange(0), 1000);
    EXPECT_EQ(clock.msUntilChange(250), 750);
    // Main time gone, byoyomi counts from its full 10 s.
    EXPECT_EQ(clock.msUntilChange(2000), 1000);
    EXPECT_EQ(clock.msUntilChange(11999), 1);
    EXPECT_EQ(clock.msUntilChange(12000), 1);
    EXPECT_EQ(clock.msUntilChange(12001), -1);
}

}  // namespace
}  // namespace ixo
