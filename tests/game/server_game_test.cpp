#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "input/keyboard.h"
#include "match/computer_opponent.h"
#include "match/server_player.h"
#include "net/csa_harness.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

using testing::FakeCsaServer;
using testing::loginTo;

// The game scene on the stand-in server, driven frame by frame as the main loop would.
class OnAServer : public SceneTest {
  protected:
    void join(std::vector<std::string> arguments) {
        fake_ = std::make_unique<FakeCsaServer>(std::move(arguments));
        server_ = std::make_unique<ServerPlayer>(loginTo(*fake_, "taro"));
        scene_.resumeStandard();
        scene_.server = server_.get();
        scene_.observers = {&heard_};
        ASSERT_TRUE(server_->start(scene_.ticks()));
    }
    template <typename Done>
    bool runUntil(Done done) {
        return framesUntil(
            scene_, [this] { return server_->readDescriptor(); }, done);
    }
    bool sent(const std::string& line) const {
        const std::vector<std::string> lines = fake_->received();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    void press(SDLKey key) {
        Keyboard::instance().noteKeyDown(key);
        Keyboard::instance().refresh();
        frame(scene_, 0, 0, 0);
        Keyboard::instance().refresh();
    }

    GameScene scene_{nullptr};
    Heard heard_;
    std::unique_ptr<FakeCsaServer> fake_;
    std::unique_ptr<ServerPlayer> server_;
};

TEST_F(OnAServer, OurClickGoesOutAndTheOpponentsAnswerIsPlayedAndTold) {
    join({"--moves=-3334FU"});
    ASSERT_TRUE(runUntil([&] { return server_->ourTurn(scene_.match); }));
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    ASSERT_TRUE(runUntil([&] { return scene_.match.ply() == 2; }));
    EXPECT_TRUE(sent("+7776FU"));
    EXPECT_EQ(scene_.board().cellAt(6, 3).piece, Pawn);
    EXPECT_EQ(scene_.board().cellAt(6, 3).owner, 1);
    // The click and the server's answer, each told as a move, so the record is written.
    EXPECT_EQ(heard_.events, (std::vector<MoveEvent>{MoveEvent::Played, MoveEvent::Played}));
}

// Joined as Red against a server that never moves: the board is turned so our side is at the
// bottom, our pieces may be picked up while we wait, but nothing moves and nothing goes out.
TEST_F(OnAServer, ClicksOnTheOpponentsTurnMoveNothing) {
    join({"--side=-", "--silent-after", "0"});
    ASSERT_TRUE(runUntil([&] { return server_->status() == ServerStatus::Playing; }));
    // Our side is at the bottom: Red's pawn of column 2, row 2 is shown at column 6, row 6.
    EXPECT_TRUE(scene_.turned);
    click(scene_, 6, 6);
    EXPECT_EQ(scene_.selected.piece, Pawn);
    EXPECT_EQ(scene_.selected.column, 2);
    click(scene_, 6, 5);
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.match.ply(), 0u);
    EXPECT_EQ(scene_.board().cellAt(2, 2).piece, Pawn);
    for (const std::string& line : fake_->received()) {
        EXPECT_NE(line[0], '-') << line;
    }
    EXPECT_TRUE(heard_.events.empty());
}

TEST_F(OnAServer, GPressedTwiceResignsThroughTheServerWhichEndsTheGame) {
    join({});
    ASSERT_TRUE(runUntil([&] { return server_->status() == ServerStatus::Playing; }));
    press(SDLK_g);
    EXPECT_FALSE(sent("%TORYO"));
    press(SDLK_g);
    ASSERT_TRUE(runUntil([&] { return server_->status() == ServerStatus::Over; }));
    EXPECT_TRUE(sent("%TORYO"));
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(scene_.match.outcome().winner, 1);
    EXPECT_EQ(heard_.events, std::vector<MoveEvent>{MoveEvent::Ended});
}

// The computer plays the side the server gives, its moves go out as a click's would and are
// told once, and the server's clock, not the match's (which has none), sets its pace.
TEST_F(OnAServer, TheComputerPlaysOurSideAtTheServersPace) {
    char log[] = "/tmp/ixo-server-engine-XXXXXX";
    close(mkstemp(log));
    EngineSetup setup;
    setup.program = IXO_FAKE_ENGINE;
    setup.arguments = {"--log", log};
    ComputerOpponent computer(setup, -1);
    std::string error;
    ASSERT_TRUE(computer.start(error)) << error;
    join({"--moves=-3334FU", "--time-unit", "100msec", "--total", "6", "--byoyomi", "0"});
    computer.paceBy(server_.get());
    scene_.setComputer(&computer);
    ASSERT_TRUE(runUntil([&] { return scene_.match.ply() == 2; }));
    EXPECT_EQ(computer.side(), 0);
    EXPECT_TRUE(sent("+7776FU"));  // the fake engine's 7g7f
    EXPECT_EQ(heard_.events, (std::vector<MoveEvent>{MoveEvent::Played, MoveEvent::Played}));
    scene_.setComputer(nullptr);
    computer.shutdown();

    std::vector<std::string> goes;
    std::ifstream stream(log);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind("go", 0) == 0) {
            goes.push_back(line);
        }
    }
    std::remove(log);
    ASSERT_FALSE(goes.empty());
    // The level's own pace is half a second a move; 0.6 s for the whole game cuts it.
    EXPECT_NE(goes[0], "go btime 0 wtime 0 byoyomi 500");
}

}  // namespace
}  // namespace ixo::test
