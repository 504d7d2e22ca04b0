#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csa_harness.h"
#include "net/csa_client.h"
#include "shogi/standard_position.h"

namespace ixo {
namespace {

using testing::FakeCsaServer;
using testing::loginTo;
using testing::nowMs;
using testing::runClients;
using testing::runUntil;
using Kind = CsaEvent::Kind;

// A whole session as a player would have it: agree to the game, play `ourMoves` (USI) on
// our turns, log out after the result. Every event on the way is returned.
std::vector<CsaEvent> playSession(CsaClient& client, const CsaLogin& login,
                                  std::vector<std::string> ourMoves, int limitMs = 8000) {
    std::vector<CsaEvent> seen;
    if (!client.start(login, nowMs())) {
        CsaEvent event;
        client.pollEvent(event);
        seen.push_back(event);
        return seen;
    }
    std::size_t next = 0;
    runClients(
        {&client},
        [&](int, const CsaEvent& event) {
            seen.push_back(event);
            if (event.kind == Kind::GameOffered) {
                client.agree(nowMs());
            }
            if ((event.kind == Kind::GameStarted || event.kind == Kind::Move) && client.ourTurn() &&
                next < ourMoves.size()) {
                Refusal why = Refusal::None;
                EXPECT_TRUE(client.sendMove(usi(ourMoves[next]), nowMs(), &why))
                    << ourMoves[next] << ": " << refusalText(why);
                ++next;
            }
            if (event.kind == Kind::Result) {
                client.logout(nowMs());
            }
            return event.kind == Kind::LoggedOut || event.kind == Kind::Fault;
        },
        limitMs);
    return seen;
}

const CsaEvent* find(const std::vector<CsaEvent>& events, Kind kind) {
    for (const CsaEvent& event : events) {
        if (event.kind == kind) {
            return &event;
        }
    }
    return nullptr;
}

std::vector<const CsaEvent*> movesIn(const std::vector<CsaEvent>& events) {
    std::vector<const CsaEvent*> moves;
    for (const CsaEvent& event : events) {
        if (event.kind == Kind::Move) {
            moves.push_back(&event);
        }
    }
    return moves;
}

TEST(CsaClient, PlaysAWholeGameAsBlueAndLogsOut) {
    FakeCsaServer server(
        {"--moves=-3334FU,-8384FU", "--end", "%TORYO,#RESIGN,#WIN", "--opponent", "Someone"});
    CsaClient client;
    const auto events = playSession(client, loginTo(server), {"7g7f", "2g2f", "2f2e"});
    ASSERT_NE(find(events, Kind::LoggedOut), nullptr) << events.back().message;
    EXPECT_EQ(events.front().kind, Kind::LoggedIn);
    EXPECT_EQ(client.summary().gameId, "fake-game-1");
    EXPECT_EQ(client.summary().names[0], "tester");
    EXPECT_EQ(client.summary().names[1], "Someone");
    EXPECT_EQ(client.ourSide(), 0);
    const auto moves = movesIn(events);
    ASSERT_EQ(moves.size(), 5u);
    const std::vector<std::string> texts = {"+7776FU", "-3334FU", "+2726FU", "-8384FU", "+2625FU"};
    for (std::size_t index = 0; index < moves.size(); ++index) {
        EXPECT_EQ(moves[index]->text, texts[index]);
        EXPECT_EQ(moves[index]->ours, index % 2 == 0);
        EXPECT_FALSE(moves[index]->refused) << moves[index]->message;
    }
    EXPECT_EQ(usiMove(requestOf(moves[1]->move)), "3c3d");
    const CsaEvent* resignation = find(events, Kind::SpecialMove);
    ASSERT_NE(resignation, nullptr);
    EXPECT_EQ(resignation->text, "%TORYO");
    EXPECT_FALSE(resignation->ours);
    const CsaEvent* result = find(events, Kind::Result);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->result.outcome, CsaOutcome::Win);
    EXPECT_EQ(result->result.reason, CsaReason::Resign);
    EXPECT_FALSE(result->result.disagrees());
    EXPECT_EQ(toSfen(client.position()),
              "lnsgkgsnl/1r5b1/p1pppp1pp/1p4p2/7P1/2P6/PP1PPPP1P/1B5R1/LNSGKGSNL w - 1");
    EXPECT_EQ(client.state(), CsaState::Closed);
    const auto received = server.received();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[1], "AGREE fake-game-1");
    EXPECT_EQ(received.back(), "LOGOUT");
}

TEST(CsaClient, TwoClientsPlayEachOtherThroughTheServer) {
    FakeCsaServer server({"--players", "2"});
    CsaClient blue;
    CsaClient red;
    CsaLogin blueLogin = loginTo(server, "blue");
    CsaLogin redLogin = loginTo(server, "red");
    ASSERT_TRUE(blue.start(blueLogin, nowMs()));
    // The second login only once the first is in, so the server pairs them in this order.
    runUntil(blue, Kind::LoggedIn);
    ASSERT_TRUE(red.start(redLogin, nowMs()));
    const std::vector<std::vector<std::string>> plans = {{"7g7f", "2g2f"}, {"3c3d"}};
    std::size_t played[2] = {0, 0};
    CsaClient* both[2] = {&blue, &red};
    std::vector<CsaEvent> results;
    runClients(
        {&blue, &red},
        [&](int index, const CsaEvent& event) {
            CsaClient& client = *both[index];
            EXPECT_NE(event.kind, Kind::Fault) << event.message;
            if (event.kind == Kind::GameOffered) {
                client.agree(nowMs());
            }
            if ((event.kind == Kind::GameStarted || event.kind == Kind::Move) && client.ourTurn()) {
                if (played[index] < plans[index].size()) {
                    client.sendMove(usi(plans[index][played[index]++]), nowMs());
                } else {
                    client.resign(nowMs());
                }
            }
            if (event.kind == Kind::Result) {
                results.push_back(event);
            }
            return results.size() == 2 || event.kind == Kind::Fault;
        },
        8000);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(blue.moves().size(), 3u);
    EXPECT_EQ(red.position(), blue.position());
    EXPECT_EQ(red.ourSide(), 1);
    // Red ran out of plan on its second turn and resigned.
    EXPECT_EQ(red.state(), CsaState::GameOver);
    EXPECT_TRUE(std::any_of(results.begin(), results.end(), [](const CsaEvent& event) {
        return event.result.outcome == CsaOutcome::Win;
    }));
    EXPECT_TRUE(std::any_of(results.begin(), results.end(), [](const CsaEvent& event) {
        return event.result.outcome == CsaOutcome::Lose;
    }));
}

struct ResultCase {
    std::string endLines;
    CsaOutcome outcome;
    CsaReason reason;
    bool disagrees;
};

TEST(CsaClient, EveryResultTheServerGivesIsReportedWithOurRulesView) {
    // Playing Red with no moves of the server's own, the game ends as soon as it starts,
    // from the start position, where no repetition, check or declaration holds.
    const std::vector<ResultCase> cases = {
        {"%TORYO,#RESIGN,#WIN", CsaOutcome::Win, CsaReason::Resign, false},
        {"#TIME_UP,#LOSE", CsaOutcome::Lose, CsaReason::TimeUp, false},
        {"#ILLEGAL_MOVE,#WIN", CsaOutcome::Win, CsaReason::IllegalMove, false},
        {"#SENNICHITE,#DRAW", CsaOutcome::Draw, CsaReason::Sennichite, true},
        {"#OUTE_SENNICHITE,#WIN", CsaOutcome::Win, CsaReason::OuteSennichite, true},
        {"%KACHI,#JISHOGI,#WIN", CsaOutcome::Win, CsaReason::Jishogi, false},
        {"%KACHI,#JISHOGI,#LOSE", CsaOutcome::Lose, CsaReason::Jishogi, true},
        {"#MAX_MOVES,#CENSORED", CsaOutcome::Censored, CsaReason::MaxMoves, true},
        {"#CHUDAN", CsaOutcome::Interrupted, CsaReason::Chudan, false},
    };
    for (const ResultCase& expected : cases) {
        FakeCsaServer server({"--side=-", "--end", expected.endLines});
        CsaClient client;
        const auto events = playSession(client, loginTo(server), {});
        const CsaEvent* result = find(events, Kind::Result);
        ASSERT_NE(result, nullptr) << expected.endLines << ": " << events.back().message;
        EXPECT_EQ(result->result.outcome, expected.outcome) << expected.endLines;
        EXPECT_EQ(result->result.reason, expected.reason) << expected.endLines;
        EXPECT_EQ(result->result.disagrees(), expected.disagrees)
            << expected.endLines << ": " << result->result.ourRulesSay;
        EXPECT_EQ(result->message, result->result.ourRulesSay);
        EXPECT_NE(find(events, Kind::LoggedOut), nullptr) << expected.endLines;
    }
}

TEST(CsaClient, ARepetitionOurRulesSeeTooIsNoDisagreementEvenWhenTheServerSeesItLater) {
    // shogi-server does not count the start among the repeated positions, so it sees the
    // fourth time only with the position after the first move, a move after our rules do;
    // until it does, the game goes on.
    FakeCsaServer server({"--moves=-5152OU,-5251OU,-5152OU,-5251OU,-5152OU,-5251OU", "--end",
                          "#SENNICHITE,#DRAW", "--end-after", "13"});
    CsaClient client;
    const auto events = playSession(client, loginTo(server),
                                    {"5i5h", "5h5i", "5i5h", "5h5i", "5i5h", "5h5i", "5i5h"});
    const auto moves = movesIn(events);
    ASSERT_EQ(moves.size(), 13u) << events.back().message;
    for (std::size_t index = 0; index < moves.size(); ++index) {
        EXPECT_EQ(moves[index]->ourEnding.how, index == 11 ? GameEnd::Repetition : GameEnd::None)
            << index;
    }
    const CsaEvent* result = find(events, Kind::Result);
    ASSERT_NE(result, nullptr) << events.back().message;
    EXPECT_EQ(result->result.outcome, CsaOutcome::Draw);
    EXPECT_FALSE(result->result.disagrees()) << result->result.ourRulesSay;
    EXPECT_EQ(client.ourEnding().how, GameEnd::Repetition);
}

TEST(CsaClient, OurResignationAndDeclarationGoOutAndComeBackWithTheResult) {
    {
        FakeCsaServer server;
        CsaClient client;
        ASSERT_TRUE(client.start(loginTo(server), nowMs()));
        runUntil(client, Kind::GameOffered);
        client.agree(nowMs());
        runUntil(client, Kind::GameStarted);
        ASSERT_TRUE(client.resign(nowMs()));
        const auto events = runUntil(client, Kind::Result);
        ASSERT_EQ(events.back().kind, Kind::Result) << events.back().message;
        EXPECT_EQ(events.back().result.outcome, CsaOutcome::Lose);
        EXPECT_TRUE(find(events, Kind::SpecialMove)->ours);
    }
    {
        // From the start a declaration fails, and our rules say so as the server does.
        // shogi-server passes the declaration on twice, with its time and with the result.
        FakeCsaServer server({"--kachi", "#ILLEGAL_MOVE,#LOSE", "--timed-kachi", "--charge", "3"});
        CsaClient client;
        ASSERT_TRUE(client.start(loginTo(server), nowMs()));
        runUntil(client, Kind::GameOffered);
        client.agree(nowMs());
        runUntil(client, Kind::GameStarted);
        ASSERT_TRUE(client.declareWin(nowMs()));
        EXPECT_FALSE(client.sendMove(usi("7g7f"), nowMs())) << "a move after the declaration";
        const auto events = runUntil(client, Kind::Result);
        ASSERT_EQ(events.back().kind, Kind::Result) << events.back().message;
        EXPECT_EQ(events.back().result.reason, CsaReason::IllegalMove);
        EXPECT_FALSE(events.back().result.disagrees()) << events.back().result.ourRulesSay;
        const auto specials = std::count_if(events.begin(), events.end(), [](const CsaEvent& e) {
            return e.kind == Kind::SpecialMove;
        });
        EXPECT_EQ(specials, 1);
        EXPECT_TRUE(find(events, Kind::SpecialMove)->ours);
        EXPECT_EQ(client.clock().remainingMs(0), 597000);
        const auto received = server.received();
        EXPECT_NE(std::find(received.begin(), received.end(), "%KACHI"), received.end());
    }
}

TEST(CsaClient, OurMovesAreJudgedBeforeTheyGoAndCarryTheCommentWhenAsked) {
    FakeCsaServer server({"--moves=-3334FU"});
    CsaClient client;
    ASSERT_TRUE(client.start(loginTo(server), nowMs()));
    runUntil(client, Kind::GameOffered);
    EXPECT_FALSE(client.sendMove(usi("7g7f"), nowMs())) << "before the game started";
    client.agree(nowMs());
    runUntil(client, Kind::GameStarted);
    Refusal why = Refusal::None;
    EXPECT_FALSE(client.sendMove(usi("7g7e"), nowMs(), &why));
    EXPECT_EQ(why, Refusal::CannotMoveThere);
    ASSERT_TRUE(client.sendMove(usi("7g7f"), nowMs(), &why, "* 30 -3334FU +2726FU\n%TORYO"));
    EXPECT_FALSE(client.sendMove(usi("2g2f"), nowMs())) << "while the first is unanswered";
    const auto events = runUntil(client, Kind::Move);
    ASSERT_EQ(events.back().kind, Kind::Move);
    EXPECT_TRUE(events.back().ours);
    const auto received = server.received();
    // The line break in the comment could have smuggled a resignation in.
    EXPECT_NE(std::find(received.begin(), received.end(), "+7776FU,'* 30 -3334FU +2726FU %TORYO"),
              received.end());
    EXPECT_EQ(std::find(received.begin(), received.end(), "%TORYO"), received.end());
}

TEST(CsaClient, AMoveOurRulesRefuseIsReportedAsRefusedAndNotPlayed) {
    FakeCsaServer server({"--side=-", "--moves=+5554FU"});
    CsaClient client;
    ASSERT_TRUE(client.start(loginTo(server), nowMs()));
    runUntil(client, Kind::GameOffered);
    client.agree(nowMs());
    const auto events = runUntil(client, Kind::Move);
    const auto moves = movesIn(events);
    ASSERT_EQ(moves.size(), 1u) << events.back().message;
    EXPECT_TRUE(moves[0]->refused);
    EXPECT_NE(moves[0]->message.find("+5554FU"), std::string::npos) << moves[0]->message;
    EXPECT_EQ(client.moves().size(), 0u);
    EXPECT_EQ(client.position(), Position::start());
    // Nothing after it can be judged, so our side cannot move on from a board out of step.
    EXPECT_FALSE(client.sendMove(usi("3c3d"), nowMs()));
    client.logout(nowMs());
    EXPECT_EQ(runUntil(client, Kind::LoggedOut).back().kind, Kind::LoggedOut);
}

}  // namespace
}  // namespace ixo
