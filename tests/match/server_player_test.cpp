#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "match/server_player.h"
#include "net/csa_harness.h"
#include "record/kif_writer.h"
#include "shogi/csa_notation.h"

namespace ixo {
namespace {

using testing::FakeCsaServer;
using testing::loginTo;
using testing::nowMs;

// A match as the game scene holds one, told the same time as the server player.
Match serverMatch() {
    return Match(RuleSet::Standard, [] { return nowMs(); });
}

// Runs the player as the scene does: each pass our side may move (when `ours` has a move
// left and it is our turn), then the player reads the server. Until `done`, or a failure.
void run(ServerPlayer& server, Match& match, std::vector<std::string> ours,
         const std::function<bool()>& done, int limitMs = 5000) {
    const std::int64_t giveUp = nowMs() + limitMs;
    std::size_t next = 0;
    while (!done()) {
        if (nowMs() > giveUp) {
            ADD_FAILURE() << "not done within " << limitMs << " ms: " << server.statusLine();
            return;
        }
        if (next < ours.size() && server.ourTurn(match)) {
            MoveRequest request;
            std::string error;
            ASSERT_TRUE(parseCsaMove(match.position(), ours[next], request, error)) << error;
            ASSERT_EQ(match.play(request), Refusal::None) << ours[next];
            ++next;
        }
        std::int64_t wait = 50;
        const std::int64_t deadline = server.msUntilDeadline(nowMs());
        if (deadline >= 0) {
            wait = std::min(wait, deadline);
        }
        pollfd watched{server.readDescriptor(), server.pollEvents(), 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, static_cast<int>(wait));
        server.update(match, nowMs());
    }
}

std::vector<std::string> csaLine(const Match& match) {
    std::vector<std::string> moves;
    Position position = match.record().start;
    for (const Move& move : match.played()) {
        moves.push_back(csaMove(position, requestOf(move)));
        playStandardMove(position, requestOf(move));
    }
    return moves;
}

std::string header(const GameRecord& record, const std::string& key) {
    for (const RecordHeader& line : record.headers) {
        if (line.key == key) {
            return line.value;
        }
    }
    return "(none)";
}

bool sent(const FakeCsaServer& server, const std::string& line) {
    const std::vector<std::string> lines = server.received();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ServerPlayer, AWholeGameGoesIntoTheMatchWithTheServersTimesNamesAndResult) {
    FakeCsaServer fake({"--moves=-3334FU", "--end", "%TORYO,#RESIGN,#WIN", "--charge", "3",
                        "--opponent", "Hanako"});
    ServerPlayer server(loginTo(fake, "taro"));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {"+7776FU", "+2726FU"},
        [&] { return server.status() == ServerStatus::Over; });

    EXPECT_EQ(csaLine(match), (std::vector<std::string>{"+7776FU", "-3334FU", "+2726FU"}));
    EXPECT_EQ(server.ourSide(), 0);
    EXPECT_EQ(server.statusLine(), "You win: resignation");
    // The server's result is the record's end line and the game's ending.
    ASSERT_TRUE(match.current().isEnd());
    EXPECT_EQ(match.current().end, LineEnd::Resignation);
    EXPECT_EQ(match.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(match.outcome().winner, 0);
    const GameRecord& record = match.record();
    EXPECT_EQ(header(record, "先手"), "taro");
    EXPECT_EQ(header(record, "後手"), "Hanako");
    EXPECT_EQ(header(record, "棋戦"), "fake-game-1");
    EXPECT_EQ(header(record, "持ち時間"), "10分+10秒");
    // Every move costs what the server charged, not what the match measured.
    for (const RecordNode* node : GameRecord::path(match.current())) {
        if (!node->isRoot() && !node->isEnd()) {
            EXPECT_EQ(node->time.usedMs, 3000) << node->ply;
        }
    }
    EXPECT_EQ(server.left(0, nowMs()).mainMs, 600000 - 2 * 3000);
    EXPECT_EQ(server.left(1, nowMs()).mainMs, 600000 - 3000);
    run(server, match, {}, [&] { return server.finished(); });
    EXPECT_TRUE(sent(fake, "LOGOUT"));
    const std::string written = writeKifRecord(record);
    EXPECT_EQ(written.find("secret"), std::string::npos);
    EXPECT_NE(written.find("投了"), std::string::npos);
}

TEST(ServerPlayer, AGameJoinedAsRedStartsFromTheOfferWithItsMovesPlayed) {
    FakeCsaServer fake({"--side=-", "--played", "+2726FU,T5;-8384FU,T7;+7776FU,T2", "--to-move=-",
                        "--end", "%TORYO,#RESIGN,#WIN"});
    ServerPlayer server(loginTo(fake));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {}, [&] { return server.ourTurn(match); });
    EXPECT_EQ(server.ourSide(), 1);
    EXPECT_EQ(csaLine(match), (std::vector<std::string>{"+2726FU", "-8384FU", "+7776FU"}));
    EXPECT_EQ(match.current().time.usedMs, 2000);
    // Red has spent 7 s of its 600 on its one move so far, and its clock runs.
    const std::int64_t now = nowMs();
    EXPECT_EQ(server.clockRunning(), 1);
    EXPECT_EQ(server.left(1, now).mainMs, 593000 - (now - server.client().turnStartedMs()));
    EXPECT_EQ(server.left(0, now).mainMs, 593000);
    run(server, match, {"-8485FU"}, [&] { return server.status() == ServerStatus::Over; });
    EXPECT_EQ(match.current().end, LineEnd::Resignation);
    EXPECT_EQ(match.outcome().winner, 1);
}

TEST(ServerPlayer, ADroppedConnectionKeepsTheGameSoFarEndingInterrupted) {
    FakeCsaServer fake({"--moves=-3334FU", "--drop-after", "2"});
    ServerPlayer server(loginTo(fake));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {"+7776FU", "+2726FU"},
        [&] { return server.status() == ServerStatus::Failed; });
    EXPECT_EQ(csaLine(match), (std::vector<std::string>{"+7776FU", "-3334FU"}));
    ASSERT_TRUE(match.current().isEnd());
    EXPECT_EQ(match.current().end, LineEnd::Interrupted);
    EXPECT_NE(server.statusLine().find("closed the connection"), std::string::npos)
        << server.statusLine();
    EXPECT_NE(writeKifRecord(match.record()).find("中断"), std::string::npos);
}

TEST(ServerPlayer, AMoveOurRulesRefuseEndsTheGameHereAndLeavesTheServer) {
    // A king two squares at once.
    FakeCsaServer fake({"--moves=-5153OU"});
    ServerPlayer server(loginTo(fake));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {"+7776FU"}, [&] { return server.finished(); });
    EXPECT_EQ(server.status(), ServerStatus::Failed);
    EXPECT_NE(server.statusLine().find("-5153OU"), std::string::npos) << server.statusLine();
    EXPECT_EQ(csaLine(match), (std::vector<std::string>{"+7776FU"}));
    EXPECT_EQ(match.current().end, LineEnd::Interrupted);
    EXPECT_TRUE(sent(fake, "LOGOUT"));
}

// shogi-server calls a repetition where our rules count none: the server's word stands in
// the record, and the screen says both.
TEST(ServerPlayer, TheServersResultStandsAndADisagreementIsShown) {
    FakeCsaServer fake({"--moves=-3334FU", "--end", "#SENNICHITE,#DRAW"});
    ServerPlayer server(loginTo(fake));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {"+7776FU", "+2726FU"},
        [&] { return server.status() == ServerStatus::Over; });
    EXPECT_EQ(match.current().end, LineEnd::Repetition);
    EXPECT_EQ(match.outcome().how, GameEnd::Repetition);
    EXPECT_EQ(server.statusLine(),
              "Draw: repetition (sennichite) (our rules see no fourfold repetition)");
}

// shogi-server counts a repetition a move later than our rules: while it judges, the game
// must go on past the point where ours would have ended it.
TEST(ServerPlayer, WhileTheServerJudgesOurRulesEndNothing) {
    Match match = serverMatch();
    match.setOutsideJudge(true);
    const char* const cycle[] = {"+2838HI", "-8272HI", "+3828HI", "-7282HI"};
    for (int round = 0; round < 4; ++round) {
        for (const char* text : cycle) {
            MoveRequest request;
            std::string error;
            ASSERT_TRUE(parseCsaMove(match.position(), text, request, error)) << error;
            ASSERT_EQ(match.play(request), Refusal::None) << round << " " << text;
        }
    }
    EXPECT_FALSE(match.outcome().over());
    match.setOutsideJudge(false);
    EXPECT_EQ(match.outcome().how, GameEnd::Repetition);
}

TEST(ServerPlayer, LeavingWhileWaitingLogsOutAndTouchesNoGame) {
    FakeCsaServer fake({"--players", "2"});
    ServerPlayer server(loginTo(fake));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {}, [&] { return server.status() == ServerStatus::Waiting; });
    EXPECT_NE(server.statusLine().find("Waiting for an opponent"), std::string::npos);
    server.leave(match, nowMs());
    run(server, match, {}, [&] { return server.finished(); });
    EXPECT_EQ(server.status(), ServerStatus::Left);
    EXPECT_TRUE(sent(fake, "LOGOUT"));
    EXPECT_EQ(match.ply(), 0u);
    EXPECT_FALSE(match.current().isEnd());
}

TEST(ServerPlayer, ThePasswordRepeatedByTheServerIsNeverShown) {
    FakeCsaServer fake({"--echo-login"});
    ServerPlayer server(loginTo(fake, "tester", "hunter2-secret"));
    Match match = serverMatch();
    ASSERT_TRUE(server.start(nowMs()));
    run(server, match, {}, [&] { return server.finished(); });
    EXPECT_EQ(server.status(), ServerStatus::Failed);
    EXPECT_EQ(server.statusLine().find("hunter2"), std::string::npos) << server.statusLine();
}

// The score is sente's whoever searched, and the line starts after the move itself, in CSA.
TEST(ServerPlayer, FloodgatesCommentCarriesSentesScoreAndTheLineAfterTheMove) {
    Position position = Position::start();
    MoveRequest first;
    ASSERT_TRUE(parseUsiMove("7g7f", first));
    Move made;
    ASSERT_TRUE(playStandardMove(position, first, &made));
    SearchInfo search;
    search.score.kind = Score::Kind::Centipawns;
    search.score.centipawns = 30;
    search.principalVariation = {"7g7f", "3c3d", "2g2f"};
    EXPECT_EQ(floodgateComment(search, made, position), "* 30 -3334FU +2726FU");

    // Red's engine thinks it is 45 ahead: sente is 45 behind. A line that turns illegal stops.
    MoveRequest reply;
    ASSERT_TRUE(parseUsiMove("3c3d", reply));
    ASSERT_TRUE(playStandardMove(position, reply, &made));
    search.score.centipawns = 45;
    search.principalVariation = {"3c3d", "2g2f", "2g2f"};
    EXPECT_EQ(floodgateComment(search, made, position), "* -45 +2726FU");
    search.score.kind = Score::Kind::Mate;
    EXPECT_EQ(floodgateComment(search, made, position), "");
}

}  // namespace
}  // namespace ixo
