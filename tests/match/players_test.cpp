#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "match/computer_opponent.h"
#include "match/hint_engine.h"
#include "match/record_keeper.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

EngineSetup fakeEngine(std::vector<std::string> arguments) {
    EngineSetup setup;
    setup.program = IXO_FAKE_ENGINE;
    setup.arguments = std::move(arguments);
    return setup;
}

// The players against a bare match, with no screen: what they do reaches the match and its
// observers, and what they say is their own to publish.
class PlayersOfAMatch : public ::testing::Test {
  protected:
    void TearDown() override {
        computer_.reset();
        hint_.reset();
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "an engine was left behind";
        fs::remove_all(folder_);
    }

    // Passes of the main loop until `done`, waiting on the engine between them; false after
    // two seconds.
    template <typename Player, typename Done>
    bool passesUntil(Player& player, Done done) {
        for (int pass = 0; pass < 200; ++pass) {
            player.update(match_);
            if (done()) {
                return true;
            }
            pollfd watched{player.readDescriptor(), POLLIN, 0};
            poll(&watched, watched.fd >= 0 ? 1 : 0, 10);
        }
        return false;
    }

    std::string contents(const std::string& path) const {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    Match match_{RuleSet::Standard};
    const fs::path folder_ =
        fs::temp_directory_path() / ("ixo-players-" + std::to_string(::getpid()));
    std::unique_ptr<ComputerOpponent> computer_;
    std::unique_ptr<HintEngine> hint_;
};

TEST_F(PlayersOfAMatch, AResignationEndsTheGameInTheMatchAndTheRecordNamesTheEngine) {
    computer_ = std::make_unique<ComputerOpponent>(
        fakeEngine({"--name", "Quitter 1.0", "--move", "resign"}), 0);
    std::string error;
    ASSERT_TRUE(computer_->start(error)) << error;
    RecordKeeper keeper({folder_.string(), ""}, std::time(nullptr));
    keeper.namePlayer(computer_.get());
    match_.addObserver(computer_.get());
    match_.addObserver(&keeper);

    ASSERT_TRUE(passesUntil(*computer_, [&] { return match_.finished(); }));
    EXPECT_EQ(match_.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(match_.outcome().winner, 1);
    EXPECT_EQ(computer_->notice().kind(), PlayerNotice::Kind::Clear);
    keeper.afterFrame();
    const std::string written = contents(keeper.recordPath());
    EXPECT_NE(written.find("\n先手：Quitter 1.0 (level"), std::string::npos) << written;
    EXPECT_NE(written.find("   1 投了"), std::string::npos) << written;
}

// The rules see the mate in the position, so the match keeps no line for it; the file must
// say it, or a reader elsewhere takes the game for one that stopped.
TEST_F(PlayersOfAMatch, AMateTheRulesFoundIsWrittenAsTheLinesEnding) {
    GameRecord setUp;
    setUp.rules = RuleSet::Standard;
    std::string error;
    ASSERT_TRUE(parseSfen("4k4/9/4P4/9/9/9/9/9/4K4 b G 1", setUp.start, error)) << error;
    ASSERT_TRUE(match_.load(setUp, error)) << error;
    RecordKeeper keeper({folder_.string(), ""}, std::time(nullptr));
    match_.addObserver(&keeper);
    MoveRequest request;
    ASSERT_TRUE(parseUsiMove("G*5b", request));
    ASSERT_EQ(match_.play(request), Refusal::None);
    ASSERT_EQ(match_.outcome().how, GameEnd::Checkmate);
    keeper.afterFrame();
    const std::string written = contents(keeper.recordPath());
    EXPECT_NE(written.find("   2 詰み\nまで1手で先手の勝ち\n"), std::string::npos) << written;
    // The match itself is untouched: taking the mating move back is one step, as before.
    ASSERT_TRUE(match_.takeBack());
    EXPECT_EQ(match_.ply(), 0u);
}

struct NamedSide : NamedPlayer {
    int side() const override { return 1; }
    const std::string& recordName() const override { return name; }
    std::string name = "Engine X (level 3)";
};

// A game begun from another record (the new-game panel's, say) is another game: it gets a
// file of its own, and a computer that has gone names no side of it.
TEST_F(PlayersOfAMatch, AnotherRecordTakenOverGetsItsOwnFileAndItsOwnPlayers) {
    RecordKeeper keeper({folder_.string(), ""}, std::time(nullptr));
    NamedSide engine;
    keeper.namePlayer(&engine);
    match_.addObserver(&keeper);
    MoveRequest request;
    ASSERT_TRUE(parseUsiMove("7g7f", request));
    ASSERT_EQ(match_.play(request), Refusal::None);
    keeper.afterFrame();
    const std::string first = keeper.recordPath();
    EXPECT_NE(contents(first).find("\n後手：Engine X (level 3)\n"), std::string::npos);

    keeper.forgetPlayer(&engine);
    GameRecord next;
    next.rules = RuleSet::Standard;
    std::string error;
    ASSERT_TRUE(match_.load(next, error)) << error;
    ASSERT_EQ(match_.play(request), Refusal::None);
    keeper.afterFrame();
    EXPECT_NE(keeper.recordPath(), first);
    const std::string second = contents(keeper.recordPath());
    EXPECT_NE(second.find("\n後手：Red\n"), std::string::npos) << second;
    EXPECT_NE(contents(first).find("\n後手：Engine X (level 3)\n"), std::string::npos);
}

// A server charges a move what it says once the move is on the board; the file must hold
// that charge, not the time measured here, even when nothing else happens after it.
TEST_F(PlayersOfAMatch, AMoveChargedAfterItWasPlayedIsWrittenWithTheCharge) {
    RecordKeeper keeper({folder_.string(), ""}, std::time(nullptr));
    match_.addObserver(&keeper);
    MoveRequest request;
    ASSERT_TRUE(parseUsiMove("7g7f", request));
    ASSERT_EQ(match_.play(request), Refusal::None);
    ASSERT_TRUE(match_.chargeLastMove(12000));
    keeper.afterFrame();
    const std::string written = contents(keeper.recordPath());
    EXPECT_NE(written.find("( 0:12/00:00:12)"), std::string::npos) << written;
}

TEST_F(PlayersOfAMatch, WhileItThinksItsLineIsOfferedAndOnceItHasMovedItIsWithdrawn) {
    computer_ = std::make_unique<ComputerOpponent>(fakeEngine({"--think", "0.2"}), 0);
    std::string error;
    ASSERT_TRUE(computer_->start(error)) << error;
    match_.addObserver(computer_.get());
    ASSERT_TRUE(passesUntil(*computer_, [&] { return computer_->thinking(); }));
    EXPECT_EQ(computer_->notice().kind(), PlayerNotice::Kind::Offer);
    EXPECT_EQ(computer_->notice().text().rfind("Blue is thinking: Fake Engine 1.0", 0), 0u)
        << computer_->notice().text();
    ASSERT_TRUE(passesUntil(*computer_, [&] { return match_.ply() == 1; }));
    computer_->update(match_);
    EXPECT_EQ(computer_->notice().kind(), PlayerNotice::Kind::Withdraw);
    EXPECT_FALSE(computer_->ownsTurn(match_));
}

TEST_F(PlayersOfAMatch, TheHintGoesStaleWithAnyChangeOfTheMatch) {
    hint_ = std::make_unique<HintEngine>(fakeEngine({"--move", "7g7f"}), false);
    match_.addObserver(hint_.get());
    hint_->request(match_, nullptr);
    ASSERT_TRUE(passesUntil(*hint_, [&] { return hint_->shown().to >= 0; }));
    EXPECT_EQ(hint_->notice().text(), "Hint: ７六歩");

    MoveRequest request;
    ASSERT_TRUE(parseUsiMove("2g2f", request));
    ASSERT_EQ(match_.play(request), Refusal::None);
    hint_->update(match_);
    EXPECT_EQ(hint_->shown().to, -1);
    EXPECT_EQ(hint_->notice().kind(), PlayerNotice::Kind::Withdraw);
    hint_->shutdown();
}

// Choosing the next game holds the game whether or not a clock runs: no search starts, and
// one under way is dropped; let go, the computer plays its turn.
TEST_F(PlayersOfAMatch, AHeldComputerAsksNothingUntilItIsLetGo) {
    computer_ = std::make_unique<ComputerOpponent>(fakeEngine({"--think", "0.1"}), 0);
    std::string error;
    ASSERT_TRUE(computer_->start(error)) << error;
    match_.addObserver(computer_.get());
    ASSERT_TRUE(passesUntil(*computer_, [&] { return computer_->thinking(); }));
    computer_->hold(true);
    EXPECT_FALSE(computer_->thinking());
    EXPECT_FALSE(computer_->ownsTurn(match_));
    EXPECT_FALSE(
        passesUntil(*computer_, [&] { return computer_->thinking() || match_.ply() > 0; }));
    computer_->hold(false);
    ASSERT_TRUE(passesUntil(*computer_, [&] { return match_.ply() == 1; }));
}

TEST_F(PlayersOfAMatch, NoHintIsAskedForTheComputersTurn) {
    computer_ = std::make_unique<ComputerOpponent>(fakeEngine({"--think", "5"}), 0);
    std::string error;
    ASSERT_TRUE(computer_->start(error)) << error;
    hint_ = std::make_unique<HintEngine>(fakeEngine({}), false);
    hint_->request(match_, computer_.get());
    EXPECT_EQ(hint_->notice().text(), "Hint: the computer is to move");
    EXPECT_FALSE(hint_->busy());
    computer_->shutdown();
}

}  // namespace
}  // namespace ixo
