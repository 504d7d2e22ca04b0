#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
using testing::runUntil;
using Kind = CsaEvent::Kind;

constexpr const char* kPassword = "s3cret-Pass_word";

// The stand-in server expecting our password; a later --password in `arguments` wins.
std::vector<std::string> expecting(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--password", kPassword});
    return arguments;
}

// Logs in and agrees to whatever is offered, then plays `ourMoves` on our turns; returns the
// fault that ended it (or fails the test when none came).
CsaEvent faultOf(FakeCsaServer& server, std::vector<std::string> ourMoves = {},
                 bool rejectOffer = false) {
    CsaClient client;
    CsaEvent fault;
    if (!client.start(loginTo(server, "tester", kPassword), nowMs())) {
        EXPECT_TRUE(client.pollEvent(fault));
        EXPECT_EQ(client.state(), CsaState::Failed);
        return fault;
    }
    std::size_t next = 0;
    testing::runClients(
        {&client},
        [&](int, const CsaEvent& event) {
            if (event.kind == Kind::GameOffered) {
                rejectOffer ? client.reject(nowMs()) : client.agree(nowMs());
            }
            if ((event.kind == Kind::GameStarted || event.kind == Kind::Move) && client.ourTurn() &&
                next < ourMoves.size()) {
                client.sendMove(usi(ourMoves[next++]), nowMs());
            }
            if (event.kind == Kind::Fault) {
                fault = event;
                return true;
            }
            return event.kind == Kind::Result;
        },
        8000);
    EXPECT_EQ(fault.kind, Kind::Fault) << "no fault came";
    EXPECT_EQ(client.state(), CsaState::Failed);
    EXPECT_EQ(client.readDescriptor(), -1) << "the connection was left open";
    EXPECT_EQ(fault.message.find(kPassword), std::string::npos) << fault.message;
    return fault;
}

TEST(CsaFaults, ARefusedLoginSaysSoWithoutThePassword) {
    FakeCsaServer server(expecting({"--password", "something-else"}));
    const CsaEvent fault = faultOf(server);
    EXPECT_EQ(fault.fault, CsaFault::LoginRefused);
    EXPECT_NE(fault.message.find("tester"), std::string::npos) << fault.message;
}

TEST(CsaFaults, ANameOrPasswordTheProtocolCannotCarryIsRefusedBeforeConnecting) {
    FakeCsaServer server;
    for (const auto& [user, password] :
         std::vector<std::pair<std::string, std::string>>{{"two words", "secret"},
                                                          {"", "secret"},
                                                          {std::string(33, 'a'), "secret"},
                                                          {"tester", "pass word"},
                                                          {"tester", "pass\nLOGOUT"},
                                                          {"tester", ""}}) {
        CsaClient client;
        EXPECT_FALSE(client.start(loginTo(server, user, password), nowMs()));
        CsaEvent event;
        ASSERT_TRUE(client.pollEvent(event));
        EXPECT_EQ(event.fault, CsaFault::BadLogin);
        if (!password.empty()) {
            EXPECT_EQ(event.message.find(password), std::string::npos) << event.message;
        }
    }
    EXPECT_TRUE(server.received().empty());
}

TEST(CsaFaults, NoServerListeningIsAConnectionFault) {
    // A port that was free a moment ago: bound, read and closed again.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    CsaClient client;
    CsaLogin login;
    login.host = "127.0.0.1";
    login.port = ntohs(address.sin_port);
    login.user = "tester";
    login.password = kPassword;
    login.timeouts.factor = 0.05;
    client.start(login, nowMs());
    const auto events = runUntil(client, Kind::Fault);
    ASSERT_EQ(events.back().kind, Kind::Fault);
    EXPECT_EQ(events.back().fault, CsaFault::CouldNotConnect) << events.back().message;
    CsaClient unknownHost;
    login.host = "no-such-host.invalid";
    ASSERT_TRUE(unknownHost.start(login, nowMs()));
    const auto lookedUp = runUntil(unknownHost, Kind::Fault);
    ASSERT_EQ(lookedUp.back().kind, Kind::Fault);
    EXPECT_EQ(lookedUp.back().fault, CsaFault::CouldNotConnect);
    EXPECT_NE(lookedUp.back().message.find("no-such-host.invalid"), std::string::npos);
}

TEST(CsaFaults, AServerThatClosesInsteadOfAnsweringTheLoginDroppedUs) {
    FakeCsaServer server(expecting({"--close-at-login"}));
    EXPECT_EQ(faultOf(server).fault, CsaFault::Dropped);
}

TEST(CsaFaults, ARejectedGameSaysWhoRejectedIt) {
    FakeCsaServer byThem(expecting({"--reject", "--opponent", "Grumpy"}));
    const CsaEvent theirs = faultOf(byThem);
    EXPECT_EQ(theirs.fault, CsaFault::Rejected);
    EXPECT_NE(theirs.message.find("Grumpy"), std::string::npos) << theirs.message;
    FakeCsaServer byUs(expecting({}));
    const CsaEvent ours = faultOf(byUs, {}, true);
    EXPECT_EQ(ours.fault, CsaFault::Rejected);
    EXPECT_EQ(ours.message, "we rejected the game");
    const auto received = byUs.received();
    EXPECT_NE(std::find(received.begin(), received.end(), "REJECT fake-game-1"), received.end());
}

TEST(CsaFaults, AConnectionDroppedMidGameIsAFault) {
    FakeCsaServer server(expecting({"--moves=-3334FU", "--drop-after", "2"}));
    const CsaEvent fault = faultOf(server, {"7g7f", "2g2f"});
    EXPECT_EQ(fault.fault, CsaFault::Dropped);
    EXPECT_NE(fault.message.find("middle of the game"), std::string::npos) << fault.message;
}

TEST(CsaFaults, GarbageFromTheServerIsAFaultThatQuotesIt) {
    FakeCsaServer server(expecting({"--garbage-after", "1"}));
    const CsaEvent fault = faultOf(server, {"7g7f"});
    EXPECT_EQ(fault.fault, CsaFault::Garbage);
    EXPECT_NE(fault.message.find("Tx garbage"), std::string::npos) << fault.message;
}

TEST(CsaFaults, ASummaryThatCannotBeReadIsGarbage) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--position", "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY\n+"},
             {"--position", "PI82HI22KA\n-", "--played", "+7776FU,T1"},
             {"--played", "+7776FU,T1;-3334FU,T1", "--to-move", "+", "--time-unit", "1day"},
             {"--played", "+7776FU,T1", "--to-move", "+"}}) {
        FakeCsaServer server(expecting(arguments));
        EXPECT_EQ(faultOf(server).fault, CsaFault::Garbage) << arguments[1];
    }
}

TEST(CsaFaults, ASilentServerIsAFaultAtEachNamedWait) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> ourMoves;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"--cut-summary"}, {}, "game summary"},
        {{"--no-start"}, {}, "start the game"},
        // No time is left to the opponent but one second of byoyomi, so the wait is short.
        {{"--silent-after", "1", "--total", "0", "--byoyomi", "1"}, {"7g7f"}, "beyond"},
        {{"--silent-after", "0", "--total", "0", "--byoyomi", "1", "--moves=-3334FU"},
         {"7g7f"},
         "confirm our move"},
    };
    for (const Case& silent : cases) {
        FakeCsaServer server(expecting(silent.arguments));
        const CsaEvent fault = faultOf(server, silent.ourMoves);
        EXPECT_EQ(fault.fault, CsaFault::Silent) << silent.says << ": " << fault.message;
        EXPECT_NE(fault.message.find(silent.says), std::string::npos) << fault.message;
    }
}

TEST(CsaFaults, ThePasswordIsNeverPrintedNorShownEvenWhenTheServerRepeatsIt) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    std::vector<std::string> messages;
    {
        FakeCsaServer echoing(expecting({"--echo-login"}));
        const CsaEvent fault = faultOf(echoing);
        EXPECT_EQ(fault.fault, CsaFault::Garbage);
        EXPECT_NE(fault.message.find("LOGIN tester ********"), std::string::npos) << fault.message;
        messages.push_back(fault.message);
    }
    {
        FakeCsaServer server(
            expecting({"--password", kPassword, "--moves=-3334FU", "--end", "#TIME_UP,#WIN"}));
        CsaClient client;
        ASSERT_TRUE(client.start(loginTo(server, "tester", kPassword), nowMs()));
        testing::runClients(
            {&client},
            [&](int, const CsaEvent& event) {
                messages.push_back(event.message + event.text + event.result.ourRulesSay);
                if (event.kind == Kind::GameOffered) {
                    client.agree(nowMs());
                }
                if (event.kind == Kind::GameStarted) {
                    client.sendMove(usi("7g7f"), nowMs());
                }
                if (event.kind == Kind::Move && client.ourTurn()) {
                    client.sendMove(usi("2g2f"), nowMs());
                }
                if (event.kind == Kind::Result) {
                    client.logout(nowMs());
                }
                return event.kind == Kind::LoggedOut || event.kind == Kind::Fault;
            },
            8000);
        EXPECT_EQ(client.state(), CsaState::Closed);
        // The server did get it, in the one line meant for it.
        const auto received = server.received();
        ASSERT_FALSE(received.empty());
        EXPECT_EQ(received[0], std::string("LOGIN tester ") + kPassword);
    }
    const std::string printed =
        ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.find(kPassword), std::string::npos) << printed;
    for (const std::string& message : messages) {
        EXPECT_EQ(message.find(kPassword), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace ixo
