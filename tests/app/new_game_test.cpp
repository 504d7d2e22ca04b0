#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "SDL.h"
#include "app/shogi_app.h"
#include "game/game_scene.h"
#include "input/keyboard.h"
#include "match/computer_opponent.h"
#include "match/record_keeper.h"
#include "match/server_player.h"
#include "net/csa_harness.h"
#include "reliability/scene_driver.h"
#include "settings/settings.h"
#include "shogi/handicaps.h"

namespace ixo {
namespace {

using reliability::FakePointer;
using Row = NewGamePanel::Row;

struct Told : GameObserver {
    void onMoveEvent(const GameScene&, const Move&, MoveEvent) override { ++moves; }
    void onNewGame(const GameScene&) override { ++newGames; }
    int moves = 0;
    int newGames = 0;
};

// The whole application on the dummy screen, driven pass by pass as its loop drives it: the
// scene's update, then the application's transition rule with what the update returned.
class NewGameFromTheWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        scratch_.linkImages(reliability::repositoryImages());
        FakePointer::install();
        options_.mute = true;
        options_.engine = IXO_FAKE_ENGINE;
    }
    void TearDown() override {
        if (app_) {
            app_->shutdown();
        }
        Keyboard::instance().refreshFrom(kNoKeys);
        FakePointer::uninstall();
    }

    // Starts the application on `first`, as main does, and makes its scene.
    void open(const GameChoice& first) {
        app_ = std::make_unique<ShogiApp>(options_);
        app_->rememberGamesIn(settingsFile());
        std::string error;
        startedFirst_ = app_->beginGame(first, error);
        ASSERT_TRUE(app_->init("Ixo", 800, 600, 16, false)) << app_->failure();
        app_->addObserver(&told_);
        ASSERT_TRUE(app_->onTransition("", ""));
        ASSERT_NE(game(), nullptr);
        game()->ticks = [this] { return now_; };
    }
    GameScene* game() const { return dynamic_cast<GameScene*>(app_->scene()); }
    std::string settingsFile() const { return (scratch_.root() / "last-game").string(); }

    void pass(int x = 0, int y = 0, Uint8 buttons = 0) {
        FakePointer& pointer = FakePointer::instance();
        pointer.x = x;
        pointer.y = y;
        pointer.buttons = buttons;
        Keyboard::instance().refreshFrom(kNoKeys);
        const std::string result = game()->update();
        drawn_ = game()->draw();
        app_->onTransition(game()->name(), result);
        Keyboard::instance().refreshFrom(kNoKeys);
    }
    void key(SDLKey pressed) {
        Keyboard::instance().noteKeyDown(pressed);
        pass();
    }
    void clickAt(int x, int y, Uint8 buttons = SDL_BUTTON(SDL_BUTTON_LEFT)) {
        pass(x, y, buttons);
        pass(x, y, 0);
    }
    void clickSquare(int column, int row) {
        clickAt(squareLeft(column) + kSquareSize / 2, squareTop(row) + kSquareSize / 2);
    }
    void choose(Row row, int index) {
        const NewGamePanel::Cell* cell = game()->newGamePanel.cellOf(row, index);
        ASSERT_NE(cell, nullptr);
        clickAt(cell->box.left + cell->box.width / 2, cell->box.top + cell->box.height / 2);
    }
    void openPanel() {
        key(SDLK_n);
        now_ += 500;
        key(SDLK_n);
        ASSERT_TRUE(game()->newGamePanel.isOpen());
    }
    // Passes until `done`, waiting on the computer's engine between them; false after 5 s.
    template <typename Done>
    bool passesUntil(Done done) {
        for (int attempt = 0; attempt < 500; ++attempt) {
            pass();
            if (done()) {
                return true;
            }
            pollfd watched{app_->computer() ? app_->computer()->readDescriptor() : -1, POLLIN, 0};
            poll(&watched, watched.fd >= 0 ? 1 : 0, 10);
        }
        return false;
    }

    // Starts the application on a game on `fake`, as main does with --server, keeping its
    // records.
    void openOnServer(const testing::FakeCsaServer& fake) {
        options_.serverHost = "127.0.0.1";
        options_.serverPort = fake.port();
        options_.serverUser = "taro";
        app_ = std::make_unique<ShogiApp>(options_);
        std::string error;
        ASSERT_TRUE(app_->beginGame(choiceOf(options_), error)) << error;
        ASSERT_TRUE(app_->init("Ixo", 800, 600, 16, false)) << app_->failure();
        keeper_ = std::make_unique<RecordKeeper>(
            GamesFolder{(scratch_.root() / "games").string(), ""}, 0);
        app_->keepRecord(keeper_.get());
        ASSERT_TRUE(app_->startServer("secret", error)) << error;
        ASSERT_TRUE(app_->onTransition("", ""));
        ASSERT_NE(game(), nullptr);
    }
    // Plays Blue's ▲７六歩 and ▲２六歩 against a stand-in that answers the first and resigns
    // at the second, and waits for the server's result.
    void winOnServer() {
        ASSERT_TRUE(passesUntil(
            [&] { return game()->server && game()->server->status() == ServerStatus::Playing; }));
        clickSquare(2, 6);
        clickSquare(2, 5);
        ASSERT_TRUE(passesUntil([&] { return game()->match.ply() == 2; }));
        clickSquare(7, 6);
        clickSquare(7, 5);
        ASSERT_TRUE(passesUntil(
            [&] { return game()->server && game()->server->status() != ServerStatus::Playing; }));
        EXPECT_EQ(game()->server->status(), ServerStatus::Over) << game()->server->reason();
    }

    static constexpr Uint8 kNoKeys[SDLK_LAST] = {};
    reliability::ScratchDirectory scratch_;
    Options options_;
    std::unique_ptr<ShogiApp> app_;
    std::unique_ptr<RecordKeeper> keeper_;
    bool startedFirst_ = false;
    bool drawn_ = false;  // the last pass painted a frame
    Told told_;
    Uint32 now_ = 1000;
};

// Two players under the simple rules, as a first start plays, with the fake engine named.
GameChoice firstStart() {
    GameChoice choice;
    choice.engine = IXO_FAKE_ENGINE;
    return choice;
}

GameChoice tenMinutesStandard() {
    GameChoice choice;
    choice.rules = RuleSet::Standard;
    choice.timeControl = TimeControl{600000, 30000, 0};
    choice.engine = IXO_FAKE_ENGINE;
    return choice;
}

TEST_F(NewGameFromTheWindow, ThePanelOpensOnTheGameAndEscapeRightClickAndCancelLeaveItAsItWas) {
    open(tenMinutesStandard());
    clickSquare(2, 6);
    clickSquare(2, 5);
    const std::string record = writeGameChoice(app_->playing());
    for (int way = 0; way < 3; ++way) {
        openPanel();
        EXPECT_EQ(game()->newGamePanel.choice(), tenMinutesStandard());  // the game on the board
        EXPECT_EQ(game()->newGamePanel.cellOf(Row::Opponent, 3), nullptr) << "no server given";
        EXPECT_TRUE(game()->paused());
        choose(Row::Rules, 0);  // simple rules, chosen but never started
        const std::int64_t redLeft = game()->clock().left(1, now_).mainMs;
        now_ += 30000;
        if (way == 0) {
            key(SDLK_ESCAPE);
        } else if (way == 1) {
            clickAt(400, 300, SDL_BUTTON(SDL_BUTTON_RIGHT));
        } else {
            const NewGamePanel::Cell* cancel = game()->newGamePanel.cellOf(Row::Buttons, 1);
            ASSERT_NE(cancel, nullptr);
            clickAt(cancel->box.left + 4, cancel->box.top + 4);
        }
        SCOPED_TRACE(way);
        EXPECT_FALSE(game()->newGamePanel.isOpen());
        EXPECT_FALSE(game()->paused());
        EXPECT_EQ(game()->rules(), RuleSet::Standard);
        EXPECT_EQ(game()->match.ply(), 1u);
        EXPECT_EQ(game()->clock().left(1, now_).mainMs, redLeft);
        EXPECT_EQ(told_.newGames, 0);
        EXPECT_EQ(writeGameChoice(app_->playing()), record);
    }
    // The game goes on where it stood, Red to move, with Red's clock running again.
    const std::int64_t redLeft = game()->clock().left(1, now_).mainMs;
    now_ += 2000;
    EXPECT_EQ(game()->clock().left(1, now_).mainMs, redLeft - 2000);
    clickSquare(2, 2);
    clickSquare(2, 3);
    EXPECT_EQ(game()->match.ply(), 2u);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

TEST_F(NewGameFromTheWindow, EveryChoiceReachesTheGameStartedAndIsRemembered) {
    open(firstStart());
    clickSquare(2, 6);
    clickSquare(2, 5);
    openPanel();
    choose(Row::Rules, 1);
    choose(Row::Opponent, 1);  // the computer is Red
    choose(Row::Level, 2);     // level 3
    choose(Row::Clock, 1);     // 10 minutes and 30 s byoyomi
    choose(Row::Handicap, 3);  // the bishop
    choose(Row::Giver, 0);     // the computer gives it
    key(SDLK_RETURN);

    EXPECT_FALSE(game()->newGamePanel.isOpen());
    EXPECT_EQ(told_.newGames, 1);
    EXPECT_EQ(game()->rules(), RuleSet::Standard);
    EXPECT_EQ(game()->match.ply(), 0u);
    Position bishop;
    ASSERT_TRUE(handicapPosition("角落ち", bishop));
    EXPECT_EQ(game()->match.record().handicap, "角落ち");
    EXPECT_EQ(game()->match.position().board, bishop.board);
    EXPECT_EQ(game()->turn(), 1);  // the giver moves first
    EXPECT_EQ(game()->clock().control().mainMs, 600000);
    EXPECT_EQ(game()->clock().control().byoyomiMs, 30000);
    ASSERT_NE(app_->computer(), nullptr);
    EXPECT_EQ(game()->computer(), app_->computer());
    EXPECT_EQ(app_->computer()->side(), 1);
    ASSERT_TRUE(passesUntil([&] { return !app_->computer()->recordName().empty(); }));
    EXPECT_NE(app_->computer()->recordName().find("(level 3)"), std::string::npos);

    GameChoice expected = tenMinutesStandard();
    expected.computerSide = 1;
    expected.level = 3;
    expected.handicap = "角落ち";
    EXPECT_EQ(app_->playing(), expected);
    const SettingsReading remembered = loadGameChoice(settingsFile(), IXO_FAKE_ENGINE);
    EXPECT_TRUE(remembered.ignored.empty());
    EXPECT_EQ(remembered.choice, expected);

    // And back to two players under the simple rules: the computer leaves with its engine.
    openPanel();
    choose(Row::Rules, 0);
    choose(Row::Opponent, 0);
    choose(Row::Clock, 0);
    key(SDLK_RETURN);
    EXPECT_EQ(app_->computer(), nullptr);
    EXPECT_EQ(game()->computer(), nullptr);
    EXPECT_EQ(game()->rules(), RuleSet::Simple);
    EXPECT_FALSE(game()->showsClock());
    EXPECT_EQ(loadGameChoice(settingsFile()).choice.rules, RuleSet::Simple);
}

TEST_F(NewGameFromTheWindow, TheComputerChosenInThePanelPlaysItsSide) {
    open(firstStart());
    openPanel();
    choose(Row::Rules, 1);
    choose(Row::Opponent, 2);  // the computer is Blue, and moves first
    key(SDLK_1);
    key(SDLK_RETURN);
    ASSERT_NE(app_->computer(), nullptr);
    ASSERT_TRUE(passesUntil([&] { return game()->match.ply() == 1; }));
    EXPECT_EQ(game()->board().cellAt(2, 5).piece, Pawn);  // the fake engine's 7g7f
    EXPECT_EQ(told_.moves, 1);
}

TEST_F(NewGameFromTheWindow, EachGameStartedGetsARecordNamingItsOwnPlayers) {
    RecordKeeper keeper(GamesFolder{(scratch_.root() / "games").string(), ""}, 0);
    open(firstStart());
    app_->keepRecord(&keeper);
    openPanel();
    choose(Row::Rules, 1);
    choose(Row::Opponent, 2);  // the computer is Blue, and moves first
    key(SDLK_RETURN);
    ASSERT_TRUE(passesUntil([&] { return game()->match.ply() == 1; }));
    openPanel();
    choose(Row::Opponent, 0);
    key(SDLK_RETURN);
    clickSquare(2, 6);
    clickSquare(2, 5);

    int naming = 0;
    int records = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.root() / "games")) {
        std::ifstream file(entry.path());
        const std::string text((std::istreambuf_iterator<char>(file)), {});
        ++records;
        naming += text.find("Fake Engine") != std::string::npos;
    }
    EXPECT_EQ(records, 2);
    EXPECT_EQ(naming, 1) << "only the game against the computer names it";
}

TEST_F(NewGameFromTheWindow, AnEngineThatCannotStartLeavesTwoPlayersAndSaysWhyOnScreen) {
    options_.engine = "/nonexistent/usi-engine";
    GameChoice computer = tenMinutesStandard();
    computer.engine = options_.engine;
    computer.computerSide = 1;
    open(computer);
    EXPECT_FALSE(startedFirst_);
    EXPECT_EQ(app_->computer(), nullptr);
    EXPECT_EQ(game()->notice.rfind("The engine failed: ", 0), 0u) << game()->notice;

    // Chosen again in the window, it fails the same way once the game is on the screen.
    openPanel();
    key(SDLK_RETURN);
    ASSERT_NE(app_->computer(), nullptr);
    ASSERT_TRUE(passesUntil([&] { return !app_->computer()->playing(); }));
    EXPECT_NE(game()->notice.find("two players now"), std::string::npos) << game()->notice;
    clickSquare(2, 6);
    clickSquare(2, 5);
    clickSquare(2, 2);
    clickSquare(2, 3);
    EXPECT_EQ(game()->match.ply(), 2u);  // both sides are the players'
}

TEST_F(NewGameFromTheWindow, ARememberedHandicapIsWhereTheFirstGameStarts) {
    GameChoice remembered;
    remembered.rules = RuleSet::Standard;
    remembered.handicap = "香落ち";
    open(remembered);
    Position lance;
    ASSERT_TRUE(handicapPosition("香落ち", lance));
    EXPECT_EQ(game()->match.position().board, lance.board);
    EXPECT_EQ(game()->match.record().handicap, "香落ち");
}

// On a server the computer plays the side the server gives, and the record names the players
// as the server knows them, not after the engine.
TEST_F(NewGameFromTheWindow, OnAServerTheRecordKeepsTheServersNames) {
    testing::FakeCsaServer fake({"--moves=-3334FU"});
    options_.serverComputer = true;
    openOnServer(fake);
    ASSERT_TRUE(passesUntil([&] { return game()->match.ply() >= 2; }));

    ASSERT_FALSE(keeper_->recordPath().empty());
    std::ifstream file(keeper_->recordPath());
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("先手：taro"), std::string::npos) << text;
    EXPECT_NE(text.find("後手：FakeOpponent"), std::string::npos) << text;
    EXPECT_EQ(text.find("Fake Engine"), std::string::npos) << text;
}

// After a game on the server, N twice offers another game: there again, or here, where the
// server has no say in the game any more.
TEST_F(NewGameFromTheWindow, AfterAServerGameTheNextGameMayBeHereWithoutTheServer) {
    testing::FakeCsaServer fake({"--moves=-3334FU", "--end=%TORYO,#RESIGN,#WIN"});
    openOnServer(fake);
    winOnServer();
    key(SDLK_n);
    key(SDLK_n);
    ASSERT_TRUE(game()->newGamePanel.isOpen());
    EXPECT_TRUE(game()->newGamePanel.serverChosen());
    EXPECT_FALSE(game()->newGamePanel.applies(Row::Rules));

    choose(Row::Opponent, 0);
    EXPECT_TRUE(drawn_) << "the choice is shown";
    EXPECT_TRUE(game()->newGamePanel.applies(Row::Rules));
    EXPECT_EQ(game()->newGamePanel.choice().rules, RuleSet::Standard) << "as the server's game";
    choose(Row::Buttons, 0);
    EXPECT_FALSE(game()->newGamePanel.isOpen());
    EXPECT_EQ(game()->server, nullptr);
    EXPECT_EQ(game()->match.ply(), 0u);
    clickSquare(2, 6);
    clickSquare(2, 5);
    EXPECT_EQ(game()->match.ply(), 1u) << game()->notice;
    EXPECT_TRUE(passesUntil([&] { return game()->turn() == 1; }));
    // The stand-in heard nothing of the move made here.
    const std::vector<std::string> heard = fake.received();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "+7776FU"), 1);
}

// Another game on the same server logs in again with what this run was given, and goes into
// a record of its own.
TEST_F(NewGameFromTheWindow, AnotherGameOnTheServerLogsInAgainAndGetsItsOwnRecord) {
    testing::FakeCsaServer fake({"--moves=-3334FU", "--end=%TORYO,#RESIGN,#WIN", "--games=2"});
    openOnServer(fake);
    winOnServer();
    const std::string firstRecord = keeper_->recordPath();
    key(SDLK_n);
    key(SDLK_n);
    ASSERT_TRUE(game()->newGamePanel.isOpen());
    choose(Row::Buttons, 0);
    ASSERT_NE(game()->server, nullptr) << game()->notice;
    winOnServer();
    EXPECT_NE(keeper_->recordPath(), firstRecord);
    const std::vector<std::string> heard = fake.received();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "LOGIN taro secret"), 2);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "+2726FU"), 2);
}

// O: the computer takes the side not to move and answers from where the game stands, in the
// same record; looking back at a record, its answer starts a variation and the main line
// stays as it was.
TEST_F(NewGameFromTheWindow, OSeatsTheComputerOppositeThePlayerAndTheGameGoesOnFromThere) {
    GameRecord opened;
    opened.rules = RuleSet::Standard;
    MoveRequest pawn;  // ▲２六歩, then △８四歩
    pawn.fromColumn = pawn.toColumn = 7;
    pawn.fromRow = 6;
    pawn.toRow = 5;
    Position position = Position::start();
    Move made;
    ASSERT_TRUE(playMove(position, pawn, RuleSet::Standard, &made));
    opened.addMove(opened.root(), made, GameRecord::Placement::MainLine);
    pawn.fromColumn = pawn.toColumn = 1;
    pawn.fromRow = 2;
    pawn.toRow = 3;
    ASSERT_TRUE(playMove(position, pawn, RuleSet::Standard, &made));
    opened.addMove(*opened.root().mainChild(), made, GameRecord::Placement::MainLine);

    app_ = std::make_unique<ShogiApp>(options_);
    app_->startFrom(std::move(opened));
    app_->reviewOpening();
    std::string error;
    ASSERT_TRUE(app_->beginGame(tenMinutesStandard(), error)) << error;
    ASSERT_TRUE(app_->init("Ixo", 800, 600, 16, false)) << app_->failure();
    ASSERT_TRUE(app_->onTransition("", ""));
    ASSERT_NE(game(), nullptr);
    game()->ticks = [this] { return now_; };
    EXPECT_TRUE(game()->reviewing);
    ASSERT_EQ(game()->match.ply(), 2u);

    key(SDLK_LEFT);  // Red to move: the computer takes Blue
    ASSERT_EQ(game()->turn(), 1);
    key(SDLK_o);
    ASSERT_NE(app_->computer(), nullptr);
    EXPECT_EQ(app_->computer()->side(), 0);
    // Our move at move 2, another than the record's (△３四歩), and the computer's answer
    // (the fake engine's ▲７六歩).
    clickSquare(6, 2);
    clickSquare(6, 3);
    ASSERT_TRUE(passesUntil([&] { return game()->match.ply() == 3; }))
        << game()->match.ply() << " " << game()->notice;
    const RecordNode& first = *game()->match.record().root().mainChild();
    ASSERT_EQ(first.children.size(), 2u);
    EXPECT_EQ(first.mainChild()->move.toColumn, 1) << "the record's △８四歩 is still its main line";
    EXPECT_EQ(game()->match.current().parent->parent, &first);

    key(SDLK_o);
    EXPECT_EQ(game()->notice, "The computer already plays");
}

}  // namespace
}  // namespace ixo
