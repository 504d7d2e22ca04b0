#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "csa_harness.h"
#include "net/csa_client.h"
#include "net/csa_time.h"
#include "shogi/standard_position.h"

namespace ixo {
namespace {

using testing::FakeCsaServer;
using testing::loginTo;
using testing::nowMs;
using testing::runUntil;
using Kind = CsaEvent::Kind;

// Plays `ourMoves` as Blue against the server's `theirMoves` and returns every move event,
// with what it cost and both sides' time after it.
std::vector<CsaEvent> timedGame(std::vector<std::string> arguments,
                                std::vector<std::string> ourMoves, CsaClient& client) {
    FakeCsaServer server(std::move(arguments));
    std::vector<CsaEvent> moves;
    EXPECT_TRUE(client.start(loginTo(server), nowMs()));
    std::size_t next = 0;
    testing::runClients(
        {&client},
        [&](int, const CsaEvent& event) {
            EXPECT_NE(event.kind, Kind::Fault) << event.message;
            if (event.kind == Kind::GameOffered) {
                client.agree(nowMs());
            }
            if (event.kind == Kind::Move) {
                moves.push_back(event);
            }
            if ((event.kind == Kind::GameStarted || event.kind == Kind::Move) && client.ourTurn() &&
                next < ourMoves.size()) {
                client.sendMove(usi(ourMoves[next++]), nowMs());
            }
            return event.kind == Kind::Fault || moves.size() == ourMoves.size() * 2 - 1;
        },
        8000);
    return moves;
}

std::vector<std::int64_t> remaining(const std::vector<CsaEvent>& moves, int side) {
    std::vector<std::int64_t> left;
    for (const CsaEvent& move : moves) {
        left.push_back(move.remainingMs[side]);
    }
    return left;
}

TEST(CsaClock, ByoyomiPaysForWhatTheTotalCannot) {
    CsaClient client;
    const auto moves =
        timedGame({"--moves=-3334FU,-8384FU", "--total", "10", "--byoyomi", "5", "--charge", "4"},
                  {"7g7f", "2g2f", "2f2e"}, client);
    ASSERT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves[0].chargedMs, 4000);
    EXPECT_EQ(client.clock().control(0).byoyomiMs, 5000);
    // 10 s, less 4 s a move; the third move is paid from byoyomi and leaves nothing.
    EXPECT_EQ(remaining(moves, 0), (std::vector<std::int64_t>{6000, 6000, 2000, 2000, 0}));
    EXPECT_EQ(remaining(moves, 1), (std::vector<std::int64_t>{10000, 6000, 6000, 2000, 2000}));
    EXPECT_EQ(client.clock().budgetMs(0), 5000);
}

TEST(CsaClock, TheIncrementComesWithEveryMoveAndTheUnitScalesAll) {
    CsaClient fischer;
    const auto moves = timedGame(
        {"--moves=-3334FU", "--total", "10", "--byoyomi", "0", "--increment", "3", "--charge", "4"},
        {"7g7f", "2g2f"}, fischer);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(remaining(moves, 0), (std::vector<std::int64_t>{9000, 9000, 8000}));
    EXPECT_EQ(remaining(moves, 1), (std::vector<std::int64_t>{10000, 9000, 9000}));
    CsaClient minutes;
    const auto slow = timedGame({"--moves=-3334FU", "--time-unit", "1min", "--total", "10",
                                 "--byoyomi", "1", "--charge", "1"},
                                {"7g7f", "2g2f"}, minutes);
    ASSERT_EQ(slow.size(), 3u);
    EXPECT_EQ(slow[0].chargedMs, 60000);
    EXPECT_EQ(slow[2].remainingMs[0], 8 * 60000);
    EXPECT_EQ(minutes.clock().control(1).byoyomiMs, 60000);
}

TEST(CsaClock, MovesAlreadyPlayedInTheSummaryAreChargedAndPlayed) {
    FakeCsaServer server({"--played", "+7776FU,T5;-3334FU,T7", "--to-move", "+"});
    CsaClient client;
    ASSERT_TRUE(client.start(loginTo(server), nowMs()));
    ASSERT_EQ(runUntil(client, Kind::GameOffered).back().kind, Kind::GameOffered);
    EXPECT_EQ(client.moves().size(), 2u);
    EXPECT_EQ(client.clock().remainingMs(0), 595000);
    EXPECT_EQ(client.clock().remainingMs(1), 593000);
    EXPECT_EQ(client.summary().maxMoves, 256);
    EXPECT_FALSE(client.ourTurn()) << "not before START";
}

TEST(CsaClock, TheChargeForAThoughtIsWholeUnitsAndNeverBelowTheLeast) {
    CsaTimeControl control;
    control.unitMs = 1000;
    EXPECT_EQ(control.chargeFor(1999), 1000);
    EXPECT_EQ(control.chargeFor(-5), 0);
    control.roundUp = true;
    EXPECT_EQ(control.chargeFor(1001), 2000);
    EXPECT_EQ(control.chargeFor(2000), 2000);
    control.leastMs = 3000;
    EXPECT_EQ(control.chargeFor(1001), 3000);
    std::int64_t unitMs = 0;
    EXPECT_TRUE(parseCsaTimeUnit("1sec", unitMs));
    EXPECT_EQ(unitMs, 1000);
    EXPECT_TRUE(parseCsaTimeUnit("100msec", unitMs));
    EXPECT_EQ(unitMs, 100);
    EXPECT_TRUE(parseCsaTimeUnit("2min", unitMs));
    EXPECT_EQ(unitMs, 120000);
    for (const char* bad : {"", "sec", "0sec", "1hour", "1 sec", "-1sec", "99999min"}) {
        EXPECT_FALSE(parseCsaTimeUnit(bad, unitMs)) << bad;
    }
}

TEST(CsaKeepAlive, AQuietConnectionGetsAnEmptyLineAfterThirtySeconds) {
    FakeCsaServer server;
    CsaClient client;
    CsaLogin login = loginTo(server);
    login.timeouts.keepAliveMs = 30000;
    const std::int64_t start = nowMs();
    ASSERT_TRUE(client.start(login, start));
    ASSERT_EQ(runUntil(client, Kind::GameOffered).back().kind, Kind::GameOffered);
    // The loop is told to wake for it, no later than 30 s after the last line.
    const std::int64_t quietSince = client.nextDeadline() - 30000;
    EXPECT_GE(quietSince, start);
    EXPECT_LE(quietSince, nowMs());
    const auto emptyLines = [&server] {
        const auto lines = server.received();
        return std::count(lines.begin(), lines.end(), std::string());
    };
    client.update(quietSince + 29000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(emptyLines(), 0);
    client.update(quietSince + 30000);
    // A second one waits for another 30 s of quiet.
    client.update(quietSince + 31000);
    EXPECT_EQ(client.nextDeadline(), quietSince + 60000);
    const std::int64_t giveUp = nowMs() + 3000;
    while (emptyLines() == 0 && nowMs() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(emptyLines(), 1);
    EXPECT_EQ(client.state(), CsaState::Offered);
}

}  // namespace
}  // namespace ixo
