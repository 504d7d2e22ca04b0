#include <poll.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_process.h"
#include "match/computer_opponent.h"
#include "match/engine_moves.h"
#include "match/hint_engine.h"
#include "reliability/scene_driver.h"
#include "scene_test_support.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"
#include "support/installed_engine.h"

namespace ixo::test {
namespace {

EngineSetup engine(const char* program, bool simple) {
    EngineSetup setup;
    setup.program = program;
    setup.level = kMinLevel;  // 0.1 s a move: a whole game in seconds
    if (simple) {
        setup.variantFile = IXO_VARIANT_FILE;
        setup.variantName = kSimpleRulesVariant;
    }
    return setup;
}

// Games in the game scene with an engine at each side, both through ComputerOpponent,
// so every move is played through our rules exactly as against a player.
class RealEngineGame : public SceneTest {
  protected:
    void TearDown() override {
        players_.clear();
        hint_.reset();
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "an engine was left behind";
        SceneTest::TearDown();
    }

    void playWhole(const EngineSetup& blue, const EngineSetup& red) {
        for (int side = 0; side < 2; ++side) {
            players_.push_back(std::make_unique<ComputerOpponent>(side == 0 ? blue : red, side));
            std::string error;
            ASSERT_TRUE(players_.back()->start(error)) << error;
        }
        scene_.match.addObserver(players_[0].get());
        scene_.match.addObserver(players_[1].get());
        // A short game: the first plies of one, or all of it when it ends sooner.
        const auto plies = [&] {
            return scene_.rules() == RuleSet::Standard ? scene_.match.ply() : scene_.match.ply();
        };
        for (int pass = 0; pass < 2000 && plies() < kPlies && !scene_.gameOver(); ++pass) {
            for (const auto& player : players_) {
                player->update(scene_.match);
                ASSERT_TRUE(player->playing()) << player->notice().text();
            }
            pollfd watched[2] = {{players_[0]->readDescriptor(), POLLIN, 0},
                                 {players_[1]->readDescriptor(), POLLIN, 0}};
            poll(watched, 2, 50);
        }
    }

    static constexpr std::size_t kPlies = 40;
    GameScene scene_{nullptr};
    std::vector<std::unique_ptr<ComputerOpponent>> players_;
    std::unique_ptr<HintEngine> hint_;
};

TEST_F(RealEngineGame, FairyStockfishPlaysAShortStandardGameOfLegalMoves) {
    REQUIRE_ENGINE("fairy-stockfish");
    scene_.resumeStandard();
    playWhole(engine("fairy-stockfish", false), engine("fairy-stockfish", false));
    EXPECT_NE(scene_.match.outcome().how, GameEnd::IllegalMove) << scene_.notice;
    EXPECT_TRUE(scene_.match.outcome().over() || scene_.match.ply() == kPlies);
}

TEST_F(RealEngineGame, FairyStockfishPlaysAShortSimpleGameOfLegalMoves) {
    REQUIRE_ENGINE("fairy-stockfish");
    playWhole(engine("fairy-stockfish", true), engine("fairy-stockfish", true));
    EXPECT_TRUE(scene_.gameOver() || scene_.match.ply() == kPlies);
}

TEST_F(RealEngineGame, GpsusiPlaysAShortStandardGameOfLegalMoves) {
    REQUIRE_ENGINE("gpsusi");
    REQUIRE_ENGINE("fairy-stockfish");
    scene_.resumeStandard();
    playWhole(engine("gpsusi", false), engine("fairy-stockfish", false));
    EXPECT_NE(scene_.match.outcome().how, GameEnd::IllegalMove) << scene_.notice;
    EXPECT_TRUE(scene_.match.outcome().over() || scene_.match.ply() == kPlies);
}

TEST_F(RealEngineGame, AHintInAMateInOneIsTheMate) {
    REQUIRE_ENGINE("fairy-stockfish");
    Position position;
    std::string error;
    // Blue drops the gold on 5b, held by the pawn on 5c: the one move that mates.
    ASSERT_TRUE(parseSfen("4k4/9/4P4/9/9/9/9/9/4K4 b G 1", position, error)) << error;
    scene_.resumeStandard(position);
    EngineSetup setup;
    setup.program = "fairy-stockfish";
    hint_ = std::make_unique<HintEngine>(setup, true);
    scene_.setHint(hint_.get());
    reliability::pressKey(scene_, SDLK_h);
    for (int pass = 0; pass < 1000 && scene_.notice == "Hint: thinking"; ++pass) {
        frame(scene_, 0, 0, 0);
        pollfd watched{hint_->readDescriptor(), POLLIN, 0};
        poll(&watched, 1, 10);
    }
    EXPECT_EQ(scene_.notice, "Hint: ５二金打");
    ASSERT_EQ(hint_->shown().drop, Gold);
    MoveRequest request;
    request.dropPiece = Gold;
    request.toColumn = hint_->shown().to % kBoardSize;
    request.toRow = hint_->shown().to / kBoardSize;
    ASSERT_TRUE(playStandardMove(position, request));
    EXPECT_TRUE(inCheck(position, 1));
    EXPECT_FALSE(hasLegalMove(position));
}

}  // namespace
}  // namespace ixo::test
