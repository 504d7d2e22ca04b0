#include <gtest/gtest.h>

#include "shogi/standard_position.h"

namespace ixo {
namespace {

void playAll(StandardGame& game, std::initializer_list<const char*> moves) {
    for (const char* text : moves) {
        Refusal why = Refusal::None;
        ASSERT_TRUE(game.play(usi(text), nullptr, &why)) << text << ": " << refusalText(why);
    }
}

// After any ending, moves are refused until a take-back puts the game back in play.
void expectTakeBackResumes(StandardGame& game, const char* nextMove, std::size_t plyAfter) {
    Refusal why = Refusal::None;
    EXPECT_FALSE(game.play(usi(nextMove), nullptr, &why));
    EXPECT_EQ(why, Refusal::GameOver);
    game.takeBack();
    EXPECT_FALSE(game.outcome().over());
    EXPECT_EQ(game.ply(), plyAfter);
}

TEST(StandardGame, CheckmateEndsTheGameForTheMatedSide) {
    StandardGame game(sfen("7nk/7p1/8G/9/9/9/9/9/4K4 b G 1"));
    playAll(game, {"G*1b"});
    EXPECT_EQ(game.outcome().how, GameEnd::Checkmate);
    EXPECT_EQ(game.outcome().winner, 0);
    expectTakeBackResumes(game, "2b2c", 0);
    EXPECT_EQ(game.position().hands[0][Gold], 1);
    // Replay brings the mate back.
    ASSERT_NE(game.replay(), nullptr);
    EXPECT_EQ(game.outcome().how, GameEnd::Checkmate);
}

TEST(StandardGame, TheFourthTimeAPositionStandsIsADraw) {
    StandardGame game;
    const auto shuffle = {"2h3h", "8b7b", "3h2h", "7b8b"};
    playAll(game, shuffle);
    playAll(game, shuffle);
    playAll(game, {"2h3h", "8b7b", "3h2h"});
    EXPECT_FALSE(game.outcome().over());
    playAll(game, {"7b8b"});
    EXPECT_EQ(game.outcome().how, GameEnd::Repetition);
    EXPECT_EQ(game.outcome().winner, -1);
    expectTakeBackResumes(game, "7g7f", 11);
    // A different move from there keeps playing.
    playAll(game, {"3c3d"});
    EXPECT_FALSE(game.outcome().over());
    EXPECT_EQ(game.size(), 12u);
}

TEST(StandardGame, RepetitionByChecksAloneLosesForTheCheckingSide) {
    StandardGame game(sfen("8k/9/9/9/7R1/9/9/9/K8 b - 1"));
    const auto chase = {"2e1e", "1a2a", "1e2e", "2a1a"};
    playAll(game, chase);
    playAll(game, chase);
    playAll(game, chase);
    EXPECT_EQ(game.outcome().how, GameEnd::PerpetualCheck);
    EXPECT_EQ(game.outcome().winner, 1);
    expectTakeBackResumes(game, "9i9h", 11);
}

TEST(StandardGame, ResignationAndFoulsEndTheGameAtOnceAndTakeBackUndoesThem) {
    StandardGame game;
    game.resign();
    EXPECT_EQ(game.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(game.outcome().winner, 1);
    expectTakeBackResumes(game, "7g7f", 0);
    playAll(game, {"7g7f"});
    game.resign();
    EXPECT_EQ(game.outcome().winner, 0);
    // The resignation is taken back on its own, and only replayEnding brings it back.
    expectTakeBackResumes(game, "3c3d", 1);
    EXPECT_EQ(game.replay(), nullptr);
    ASSERT_TRUE(game.replayEnding());
    EXPECT_EQ(game.outcome().how, GameEnd::Resignation);
    game.takeBack();
    game.takeBack();
    EXPECT_EQ(game.ply(), 0u);
    ASSERT_NE(game.replay(), nullptr);
    EXPECT_FALSE(game.outcome().over());
    game.loseOnTime(0);
    EXPECT_EQ(game.outcome().how, GameEnd::TimeUp);
    EXPECT_EQ(game.outcome().winner, 1);
}

TEST(StandardGame, AnImpasseDeclarationWinsOnlyWithTheFullCount) {
    const struct {
        const char* position;
        GameEnd how;
        int winner;
    } cases[] = {
        // Ten pieces in the zone and 28 points for Blue, 27 for Red, who moves second.
        {"RRBBGGGGS/S3K4/9/9/9/9/9/9/4k4 b 2P 1", GameEnd::Impasse, 0},
        {"RRBBGGGGS/S3K4/9/9/9/9/9/9/4k4 b P 1", GameEnd::FailedImpasse, 1},
        {"4K4/9/9/9/9/9/9/s3k4/rrbbggggs w p 1", GameEnd::Impasse, 1},
        // Nine pieces in the zone are not enough, whatever the points.
        {"RRBBGGGG1/S3K4/9/9/9/9/9/9/4k4 b 2PS 1", GameEnd::FailedImpasse, 1},
        // The king must be in the zone and out of check.
        {"RRBBGGGGS/S8/4K4/9/9/9/9/9/4k4 b 2P 1", GameEnd::Impasse, 0},
        {"RRBBGGGGS/S8/9/4K4/9/9/9/9/4k4 b 2P 1", GameEnd::FailedImpasse, 1},
        {"RRBBGGGGS/S3K4/3s5/9/9/9/9/9/4k4 b 2P 1", GameEnd::FailedImpasse, 1},
    };
    for (const auto& c : cases) {
        StandardGame game(sfen(c.position));
        game.declareImpasse();
        EXPECT_EQ(game.outcome().how, c.how) << c.position;
        EXPECT_EQ(game.outcome().winner, c.winner) << c.position;
    }
    StandardGame game(sfen(cases[0].position));
    game.declareImpasse();
    expectTakeBackResumes(game, "5b5c", 0);
    playAll(game, {"5b4c"});
}

}  // namespace
}  // namespace ixo
