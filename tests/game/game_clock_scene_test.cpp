#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "clock/clock_face.h"
#include "input/keyboard.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

using reliability::pressKey;

// What the observers could read when each move reached them.
struct TimesHeard : GameObserver {
    void onMoveEvent(const GameScene& scene, const Move&, MoveEvent event) override {
        events.push_back(event);
        sizes.push_back(scene.moveTimes().size());
        lastUsed.push_back(scene.moveTimes().empty() ? -1 : scene.moveTimes().back().usedMs);
    }
    std::vector<MoveEvent> events;
    std::vector<std::size_t> sizes;
    std::vector<std::int64_t> lastUsed;
};

// The scene's clock read from `now_`, which only the test moves.
class SceneClock : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.ticks = [this] { return now_; };
        scene_.observers.push_back(&heard_);
        frame(scene_, 0, 0, 0);  // the first frame starts the clocks
    }
    // Blue and Red push the pawn of one file, each after thinking `ms`.
    void pawnMove(int column, int side, std::int64_t ms) {
        now_ += static_cast<Uint32>(ms);
        const int from = side == 0 ? 6 : 2;
        click(scene_, column, from);
        click(scene_, column, side == 0 ? from - 1 : from + 1);
    }
    std::vector<std::int64_t> used() const {
        std::vector<std::int64_t> times;
        for (const MoveTime& time : scene_.moveTimes()) {
            times.push_back(time.usedMs);
        }
        return times;
    }

    Uint32 now_ = 5000;
    TimesHeard heard_;
    GameScene scene_{nullptr};
};

TEST_F(SceneClock, EachMoveKeepsItsMoversTimeAndRunningTotalBeforeObserversHearOfIt) {
    pawnMove(2, 0, 3000);
    pawnMove(2, 1, 1500);
    pawnMove(4, 0, 2000);
    ASSERT_EQ(scene_.moveTimes().size(), 3u);
    EXPECT_EQ(used(), (std::vector<std::int64_t>{3000, 1500, 2000}));
    EXPECT_EQ(scene_.moveTimes()[2].totalMs, 5000);  // Blue's two moves
    EXPECT_EQ(scene_.moveTimes()[1].totalMs, 1500);
    EXPECT_EQ(heard_.sizes, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(heard_.lastUsed, (std::vector<std::int64_t>{3000, 1500, 2000}));
    // Without a time control nothing runs out.
    EXPECT_FALSE(scene_.clock().control().limited());
    EXPECT_EQ(scene_.clock().outOfTime(now_ + 100000000), -1);
}

TEST_F(SceneClock, TakeBackDropsThePlysTimeAndReplayBringsBackTheTimeItHad) {
    pawnMove(2, 0, 3000);
    pawnMove(2, 1, 1500);
    now_ += 9000;  // Blue thinks, then takes back Red's move instead
    pressKey(scene_, SDLK_u);
    EXPECT_EQ(used(), (std::vector<std::int64_t>{3000}));
    EXPECT_EQ(heard_.sizes.back(), 1u);
    // Red, to move again, has back the time the taken-back move cost.
    EXPECT_EQ(scene_.clock().totalUsed(1, now_), 0);
    now_ += 7000;
    pressKey(scene_, SDLK_r);
    EXPECT_EQ(used(), (std::vector<std::int64_t>{3000, 1500}));
    EXPECT_EQ(scene_.moveTimes()[1].totalMs, 1500);
    EXPECT_EQ(heard_.lastUsed.back(), 1500);

    // A new move after a take-back replaces what could have been replayed.
    pressKey(scene_, SDLK_u);
    pawnMove(3, 1, 400);
    pressKey(scene_, SDLK_r);  // nothing left to replay
    EXPECT_EQ(used(), (std::vector<std::int64_t>{3000, 400}));
}

TEST_F(SceneClock, ANewGameStartsWithNoTimes) {
    pawnMove(2, 0, 3000);
    scene_.startNewGame();
    EXPECT_TRUE(scene_.moveTimes().empty());
    EXPECT_EQ(scene_.clock().totalUsed(0, now_), 0);
}

// A game with a time control, its clock read from `now_`.
class TimedGame : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.ticks = [this] { return now_; };
        scene_.observers.push_back(&heard_);
    }
    void start(RuleSet rules, TimeControl control) {
        if (rules == RuleSet::Standard) {
            scene_.resumeStandard();
        }
        scene_.setTimeControl(control);
        frame(scene_, 0, 0, 0);
    }
    void pawnMove(int column, int side, Uint32 ms) {
        now_ += ms;
        click(scene_, column, side == 0 ? 6 : 2);
        click(scene_, column, side == 0 ? 5 : 3);
    }
    std::size_t plies() const {
        return scene_.rules() == RuleSet::Standard ? scene_.match.ply() : scene_.match.ply();
    }

    Uint32 now_ = 5000;
    TimesHeard heard_;
    GameScene scene_{nullptr};
};

TEST_F(TimedGame, UnderTheSimpleRulesAFallenFlagEndsTheGameUntilTakenBack) {
    start(RuleSet::Simple, TimeControl{10000, 5000, 0});
    pawnMove(2, 0, 4000);
    now_ += 15000;  // Red's last millisecond of byoyomi is still in time
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.lostOnTime(), -1);
    now_ += 1;
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.lostOnTime(), 1);
    EXPECT_EQ(scene_.msUntilClockChange(), -1);
    pawnMove(2, 1, 0);  // too late: no more moves
    EXPECT_EQ(plies(), 1u);
    EXPECT_EQ(heard_.events.size(), 1u);  // the record keeps the move, and nothing else

    // The first take-back undoes the fall alone: Red is to move, with its turn's time again.
    pressKey(scene_, SDLK_u);
    EXPECT_EQ(scene_.lostOnTime(), -1);
    EXPECT_EQ(plies(), 1u);
    EXPECT_EQ(scene_.clock().left(1, now_).mainMs, 10000);
    pawnMove(2, 1, 1000);
    EXPECT_EQ(plies(), 2u);
}

TEST_F(TimedGame, UnderTheStandardRulesAFallenFlagLosesOnTimeAndTakesBackLikeAResignation) {
    start(RuleSet::Standard, TimeControl{3000, 0, 0});
    now_ += 3001;
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::TimeUp);
    EXPECT_EQ(scene_.match.outcome().winner, 1);
    ASSERT_EQ(heard_.events, (std::vector<MoveEvent>{MoveEvent::Ended}));
    now_ += 50000;  // the clocks stopped with the game
    EXPECT_EQ(scene_.clock().totalUsed(0, now_), 3001);

    pressKey(scene_, SDLK_u);
    EXPECT_FALSE(scene_.match.outcome().over());
    EXPECT_EQ(scene_.clock().left(0, now_).mainMs, 3000);
    pawnMove(2, 0, 1000);
    EXPECT_EQ(plies(), 1u);
}

TEST_F(TimedGame, ByoyomiCountsOnceTheMainTimeIsSpentAndComesBackWholeEachMove) {
    start(RuleSet::Simple, TimeControl{2000, 30000, 0});
    using Face = std::array<std::string, 2>;
    EXPECT_EQ(clockFace(scene_.clock().control(), scene_.clock().left(0, now_)),
              (Face{"0:02", "by 30"}));
    now_ += 4500;
    EXPECT_EQ(clockFace(scene_.clock().control(), scene_.clock().left(0, now_)),
              (Face{"0:00", "by 28"}));
    pawnMove(2, 0, 0);
    EXPECT_TRUE(scene_.moveTimes()[0].inTime);
    pawnMove(2, 1, 0);
    now_ += 29000;
    EXPECT_EQ(scene_.clock().left(0, now_).byoyomiMs, 1000);
    EXPECT_EQ(scene_.msUntilClockChange(), 1000);
}

TEST_F(TimedGame, AnIncrementIsAddedAfterEachMoveInTime) {
    start(RuleSet::Standard, TimeControl{60000, 0, 10000});
    EXPECT_EQ(clockFace(scene_.clock().control(), scene_.clock().left(0, now_))[1], "+10s");
    pawnMove(2, 0, 15000);
    EXPECT_EQ(scene_.clock().left(0, now_).mainMs, 55000);
    // Taken back, the move and its increment go; replayed, both come back.
    pressKey(scene_, SDLK_u);
    EXPECT_EQ(scene_.clock().left(0, now_).mainMs, 60000);
    pressKey(scene_, SDLK_r);
    EXPECT_EQ(scene_.clock().left(0, now_).mainMs, 55000);
}

TEST_F(TimedGame, PauseStopsTheClocksAndTheBoardUntilPressedAgain) {
    start(RuleSet::Simple, TimeControl{60000, 10000, 0});
    now_ += 2000;
    click(scene_, 2, 6);  // a piece picked up before the pause is put down by it
    pressKey(scene_, SDLK_p);
    ASSERT_TRUE(scene_.paused());
    EXPECT_EQ(scene_.selected.piece, -1);
    EXPECT_EQ(scene_.msUntilClockChange(), -1);
    now_ += 600000;  // far past both times: nothing falls while paused
    pawnMove(2, 0, 0);
    EXPECT_EQ(plies(), 0u);
    EXPECT_EQ(scene_.lostOnTime(), -1);
    EXPECT_EQ(scene_.clock().left(0, now_).mainMs, 58000);

    pressKey(scene_, SDLK_p);
    EXPECT_FALSE(scene_.paused());
    pawnMove(2, 0, 1000);
    EXPECT_EQ(plies(), 1u);
    EXPECT_EQ(scene_.moveTimes()[0].usedMs, 3000);
}

TEST_F(SceneClock, WithoutATimeControlNoClockShowsOrWakesTheLoopAndPDoesNothing) {
    pressKey(scene_, SDLK_p);
    EXPECT_FALSE(scene_.paused());
    EXPECT_FALSE(scene_.showsClock());
    EXPECT_EQ(scene_.msUntilClockChange(), -1);
    pawnMove(2, 0, 1000);
    EXPECT_EQ(scene_.moveTimes().size(), 1u);
}

}  // namespace
}  // namespace ixo::test
