#include "match/computer_opponent.h"

#include <poll.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/record_keeper.h"
#include "reliability/scene_driver.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

// The game scene against the fake engine, driven frame by frame as the main loop would.
class AgainstFakeEngine : public SceneTest {
  protected:
    void TearDown() override {
        computer_.reset();
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "the engine was left behind";
        SceneTest::TearDown();
    }

    void play(int side, std::vector<std::string> arguments, bool simple = false) {
        EngineSetup setup;
        setup.program = IXO_FAKE_ENGINE;
        setup.arguments = std::move(arguments);
        if (simple) {
            setup.variantFile = IXO_VARIANT_FILE;
            setup.variantName = kSimpleRulesVariant;
            setup.arguments.push_back("--variant");
        }
        computer_ = std::make_unique<ComputerOpponent>(setup, side);
        std::string error;
        ASSERT_TRUE(computer_->start(error)) << error;
        if (!simple) {
            scene_.resumeStandard();
        }
        scene_.observers = {&heard_};
        scene_.setComputer(computer_.get());
    }
    template <typename Done>
    bool runUntil(Done done) {
        return framesUntil(
            scene_, [this] { return computer_->readDescriptor(); }, done);
    }
    std::size_t ply() const { return scene_.match.ply(); }
    void pickUpWhileItThinks(bool simple);

    Heard heard_;
    GameScene scene_{nullptr};
    std::unique_ptr<ComputerOpponent> computer_;
};

TEST_F(AgainstFakeEngine, ItsMoveIsPlayedAndToldLikeAClick) {
    play(0, {"--move", "7g7f"});
    ASSERT_TRUE(runUntil([&] { return ply() == 1; }));
    EXPECT_EQ(heard_.events, std::vector<MoveEvent>{MoveEvent::Played});
    EXPECT_EQ(scene_.board().cellAt(2, 5).piece, Pawn);
    EXPECT_EQ(scene_.turn(), 1);
    EXPECT_TRUE(scene_.notice.empty()) << scene_.notice;
}

TEST_F(AgainstFakeEngine, UnderTheSimpleRulesItsMoveGoesThroughTheSimpleRules) {
    play(0, {"--move", "7g7f"}, true);
    ASSERT_TRUE(runUntil([&] { return scene_.match.ply() == 1; }));
    EXPECT_EQ(scene_.board().cellAt(2, 5).piece, Pawn);
    EXPECT_EQ(scene_.turn(), 1);
}

TEST_F(AgainstFakeEngine, UnderTheSimpleRulesAPromotionTheyDoNotMakeEndsTheEngine) {
    // A '+' where these rules promote nothing is no move of this game.
    play(0, {"--move", "7g7f+"}, true);
    ASSERT_TRUE(runUntil([&] { return !computer_->playing(); }));
    EXPECT_EQ(scene_.match.ply(), 0u);
    EXPECT_NE(scene_.notice.find("7g7f+"), std::string::npos) << scene_.notice;
}

TEST_F(AgainstFakeEngine, AnIllegalMoveLosesByFoulAndShowsWhatWasSent) {
    play(0, {"--move", "7g7c"});
    ASSERT_TRUE(runUntil([&] { return scene_.match.outcome().over(); }));
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::IllegalMove);
    EXPECT_EQ(scene_.match.outcome().winner, 1);
    EXPECT_EQ(ply(), 0u);
    EXPECT_NE(scene_.notice.find("7g7c"), std::string::npos) << scene_.notice;
}

TEST_F(AgainstFakeEngine, ACrashLeavesATwoPlayerGame) {
    play(1, {"--crash-in-search"});
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    ASSERT_TRUE(runUntil([&] { return !computer_->playing(); }));
    EXPECT_NE(scene_.notice.find("two players"), std::string::npos) << scene_.notice;
    // Red is the player's to move now.
    click(scene_, 6, 2);
    click(scene_, 6, 3);
    EXPECT_EQ(ply(), 2u);
    // E brings a new engine in, which takes up Red's side at the next Red turn, and crashes
    // again: told again, the game still whole.
    reliability::pressKey(scene_, SDLK_e);
    EXPECT_TRUE(computer_->playing());
    click(scene_, 2, 5);
    click(scene_, 2, 4);
    ASSERT_TRUE(runUntil([&] { return !computer_->playing(); }));
    EXPECT_EQ(ply(), 3u);
}

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The engine played the moves of its side, so the record names it there even after it fails;
// the player's side is named as in any game, and no side twice.
TEST_F(AgainstFakeEngine, TheRecordNamesTheEngineAndItsLevelForItsSideEvenAfterItFails) {
    play(1, {"--name", "Fake Engine 2.5", "--crash-in-search"});
    RecordKeeper keeper({(std::filesystem::current_path() / "games").string(), ""},
                        std::time(nullptr));
    keeper.namePlayer(computer_.get());
    scene_.match.addObserver(&keeper);
    const std::string names =
        "\n先手：Blue\n後手：Fake Engine 2.5 (level " + std::to_string(kDefaultLevel) + ")\n";
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    keeper.afterFrame();
    EXPECT_NE(contents(keeper.recordPath()).find(names), std::string::npos)
        << contents(keeper.recordPath());
    ASSERT_TRUE(runUntil([&] { return !computer_->playing(); }));
    click(scene_, 6, 2);
    click(scene_, 6, 3);
    keeper.afterFrame();
    const std::string written = contents(keeper.recordPath());
    EXPECT_NE(written.find(names), std::string::npos) << written;
    EXPECT_EQ(written.find("後手："), written.rfind("後手：")) << written;
}

TEST_F(AgainstFakeEngine, TakeBackGoesToThePlayersTurnAndDropsAStaleAnswer) {
    play(1, {"--move", "3c3d", "--think", "0.3"});
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    ASSERT_TRUE(runUntil([&] { return ply() == 2; }));
    reliability::pressKey(scene_, SDLK_u);
    ASSERT_TRUE(runUntil([&] { return ply() == 0; }));
    EXPECT_EQ(scene_.turn(), 0);
    // Moved and taken back while the engine thinks: its answer must not land.
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    frame(scene_, 0, 0, 0);
    ASSERT_TRUE(computer_->thinking());
    reliability::pressKey(scene_, SDLK_u);
    EXPECT_FALSE(computer_->thinking());
    runUntil([] { return false; });
    EXPECT_EQ(ply(), 0u);
    EXPECT_EQ(scene_.turn(), 0);
}

// Against the clock the engine is given the clock's times, a pause stops its search and
// throws the answer away, and its own flag falls like anyone's.
class AgainstTheClock : public AgainstFakeEngine {
  protected:
    void SetUp() override {
        AgainstFakeEngine::SetUp();
        char name[] = "/tmp/ixo-clock-log-XXXXXX";
        close(mkstemp(name));
        log_ = name;
    }
    void TearDown() override {
        std::remove(log_.c_str());
        AgainstFakeEngine::TearDown();
    }
    // Blue moves after `bluesThought` and Red's engine is asked.
    void playRed(TimeControl control, Uint32 bluesThought) {
        play(1, {"--move", "3c3d", "--think", "0.3", "--log", log_});
        scene_.ticks = [this] { return now_; };
        scene_.setTimeControl(control);
        frame(scene_, 0, 0, 0);
        now_ += bluesThought;
        click(scene_, 2, 6);
        click(scene_, 2, 5);
        frame(scene_, 0, 0, 0);
    }
    std::vector<std::string> goes() const {
        std::vector<std::string> lines;
        std::ifstream stream(log_);
        for (std::string line; std::getline(stream, line);) {
            if (line.rfind("go", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    std::string log_;
    Uint32 now_ = 1000;
};

TEST_F(AgainstTheClock, PauseThrowsTheSearchAwayAndResumingAsksAgainWithTheClocksTimes) {
    playRed(TimeControl{60000, 10000, 0}, 2000);
    ASSERT_TRUE(computer_->thinking());
    reliability::pressKey(scene_, SDLK_p);
    EXPECT_FALSE(computer_->thinking());
    runUntil([] { return false; });  // its answer comes while paused, and is not played
    EXPECT_EQ(ply(), 1u);
    reliability::pressKey(scene_, SDLK_p);
    ASSERT_TRUE(runUntil([&] { return ply() == 2; }));
    // A generous clock leaves the level's own pace (level 5: half a second).
    EXPECT_EQ(goes(), (std::vector<std::string>{"go btime 0 wtime 0 byoyomi 500",
                                                "go btime 0 wtime 0 byoyomi 500"}));
}

TEST_F(AgainstTheClock, AnAnswerAfterTheEnginesFlagFellIsNotPlayed) {
    playRed(TimeControl{1000, 0, 5000}, 500);
    ASSERT_TRUE(computer_->thinking());
    now_ += 1001;
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::TimeUp);
    EXPECT_EQ(scene_.match.outcome().winner, 0);
    EXPECT_FALSE(computer_->thinking());
    runUntil([] { return false; });
    EXPECT_EQ(ply(), 1u);
    // Written by the engine as it reads, so looked at once it has had the time to.
    EXPECT_EQ(goes(), (std::vector<std::string>{"go btime 0 wtime 0 byoyomi 500"}));
}

// While the engine thinks the player may pick up a piece of their own (not one of the
// engine's), but a click on its square moves nothing until the turn is theirs; the pick
// survives the engine's move.
void AgainstFakeEngine::pickUpWhileItThinks(bool simple) {
    play(1, {"--move", "3c3d", "--think", "0.3"}, simple);
    const auto moves = [&] { return simple ? scene_.match.ply() : scene_.match.ply(); };
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    frame(scene_, 0, 0, 0);
    ASSERT_TRUE(computer_->thinking());
    click(scene_, 6, 2);  // the engine's pawn
    EXPECT_EQ(scene_.selected.piece, -1);
    click(scene_, 7, 6);
    ASSERT_EQ(scene_.selected.piece, Pawn);
    // Lit where Blue could go: the simple rules keep it in Red's frame, mirrored for drawing.
    EXPECT_EQ(scene_.moveMap.count(), 1);
    EXPECT_EQ(scene_.moveMap.marks[(simple ? 3 : 5) * kBoardSize + 7], 1);
    click(scene_, 7, 5);
    EXPECT_EQ(moves(), 1u);
    ASSERT_TRUE(runUntil([&] { return moves() == 2; }));
    ASSERT_EQ(scene_.selected.piece, Pawn);
    EXPECT_EQ(scene_.moveMap.marks[5 * kBoardSize + 7], 1);
    click(scene_, 7, 5);
    EXPECT_EQ(moves(), 3u);
    EXPECT_EQ(scene_.board().cellAt(7, 5).piece, Pawn);
}

TEST_F(AgainstFakeEngine, WhileItThinksThePlayerMayPickUpAPieceButNotMoveIt) {
    pickUpWhileItThinks(false);
}

TEST_F(AgainstFakeEngine, UnderTheSimpleRulesTooThePlayerMayPickUpButNotMove) {
    pickUpWhileItThinks(true);
}

// Under the simple rules a flag fall ends the play but not the engine: what it still sends
// is read, or its descriptor stays readable and the main loop never sleeps again.
TEST_F(AgainstTheClock, UnderTheSimpleRulesTheEngineIsStillReadAfterItsFlagFell) {
    play(1, {"--move", "3c3d", "--think", "0.3"}, true);
    scene_.ticks = [this] { return now_; };
    scene_.setTimeControl(TimeControl{1000, 0, 5000});
    frame(scene_, 0, 0, 0);
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    frame(scene_, 0, 0, 0);
    ASSERT_TRUE(computer_->thinking());
    now_ += 1001;
    frame(scene_, 0, 0, 0);
    ASSERT_EQ(scene_.lostOnTime(), 1);
    runUntil([] { return false; });  // long past its answer
    EXPECT_EQ(ply(), 1u);
    pollfd unread{computer_->readDescriptor(), POLLIN, 0};
    EXPECT_EQ(poll(&unread, 1, 0), 0) << "the engine's answer was left unread";
}

// A piece picked up while the engine thought was for a turn that never came when the engine
// fails instead of moving: it goes, and the side now to move picks up its own at once.
TEST_F(AgainstFakeEngine, UnderTheSimpleRulesAPickForATurnThatDidNotComeGoes) {
    play(1, {"--move", "3c3d+", "--think", "0.3"}, true);
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    frame(scene_, 0, 0, 0);
    ASSERT_TRUE(computer_->thinking());
    click(scene_, 7, 6);
    ASSERT_EQ(scene_.selected.piece, Pawn);
    ASSERT_TRUE(runUntil([&] { return !computer_->playing(); }));
    EXPECT_EQ(scene_.selected.piece, -1);
    click(scene_, 6, 2);
    click(scene_, 6, 3);
    EXPECT_EQ(ply(), 2u);
}

}  // namespace
}  // namespace ixo::test
