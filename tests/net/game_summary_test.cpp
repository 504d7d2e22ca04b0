#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "net/game_summary.h"
#include "shogi/standard_position.h"

namespace ixo {
namespace {

bool readSummary(const std::string& text, GameSummary& summary, std::string& error) {
    GameSummaryReader reader;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!reader.readLine(line, error)) {
            return false;
        }
    }
    return reader.finish(summary, error);
}

TEST(GameSummary, ReadsEveryFieldWithEachSidesOwnTimeAndAHandicap) {
    const std::string text =
        "Protocol_Version:1.2\nProtocol_Mode:Server\nFormat:Shogi 1.0\n"
        "Declaration:Jishogi 1.1\nGame_ID:wdoor+floodgate-300-10F+a+b+20260101\n"
        "Name+:alpha\nName-:beta\nYour_Turn:-\nRematch_On_Draw:YES\nTo_Move:+\n"
        "Max_Moves:320\nX_Extension:kept\n"
        "BEGIN Time\nTime_Unit:1sec\nTotal_Time:300\nByoyomi:0\nIncrement:10\n"
        "Least_Time_Per_Move:1\nTime_Roundup:YES\nEND Time\n"
        "BEGIN Time-\nTotal_Time:60\nEND Time-\n"
        "BEGIN Other\nanything:at all\nEND Other\n"
        "BEGIN Position\nPI82HI22KA\n-\n'a comment\n-3334FU,T3\n+7776FU,T0\n"
        "END Position\nEND Game_Summary\n";
    GameSummary summary;
    std::string error;
    ASSERT_TRUE(readSummary(text, summary, error)) << error;
    EXPECT_EQ(summary.gameId, "wdoor+floodgate-300-10F+a+b+20260101");
    EXPECT_EQ(summary.names[0], "alpha");
    EXPECT_EQ(summary.names[1], "beta");
    EXPECT_EQ(summary.ourSide, 1);
    EXPECT_EQ(summary.toMove, 0);
    EXPECT_TRUE(summary.rematchOnDraw);
    EXPECT_EQ(summary.maxMoves, 320);
    EXPECT_EQ(summary.declaration, "Jishogi 1.1");
    ASSERT_EQ(summary.otherKeys.size(), 1u);
    EXPECT_EQ(summary.otherKeys[0].second, "kept");
    EXPECT_EQ(summary.time[0].totalMs, 300000);
    EXPECT_EQ(summary.time[0].incrementMs, 10000);
    EXPECT_EQ(summary.time[0].leastMs, 1000);
    EXPECT_TRUE(summary.time[0].roundUp);
    // Time- changes Red's total only; the rest comes from the block for both.
    EXPECT_EQ(summary.time[1].totalMs, 60000);
    EXPECT_EQ(summary.time[1].incrementMs, 10000);
    EXPECT_EQ(toSfen(summary.start), "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    ASSERT_EQ(summary.moves.size(), 2u);
    EXPECT_EQ(summary.moves[0].text, "-3334FU");
    EXPECT_EQ(summary.moves[0].units, 3);
    EXPECT_EQ(summary.moves[1].units, 0);
}

TEST(GameSummary, WhatCannotBeDoneWithoutIsAnError) {
    const std::string position = "BEGIN Position\nPI\n+\nEND Position\n";
    const std::string head = "Game_ID:g\nYour_Turn:+\n";
    for (const std::string& text : {
             head + position,                                    // no end
             "Your_Turn:+\n" + position + "END Game_Summary\n",  // no Game_ID
             "Game_ID:g\n" + position + "END Game_Summary\n",    // no Your_Turn
             head + "END Game_Summary\n",                        // no position
             head + "Your_Turn:x\n" + position + "END Game_Summary\n",
             head + "BEGIN Time\nTotal_Time:ten\nEND Time\n" + position + "END Game_Summary\n",
             head + "BEGIN Time\nTime_Unit:1day\nEND Time\n" + position + "END Game_Summary\n",
             head + "BEGIN Position\nPI\n+\n+7776FU,Tx\nEND Position\nEND Game_Summary\n",
             head + "BEGIN Position\nPI\n+7776FU\n+\nEND Position\nEND Game_Summary\n",
             head + "BEGIN Position\nP1 garbage\nEND Position\nEND Game_Summary\n",
             head + "BEGIN Time\nBEGIN Position\n",
             head + "END Time\n",
             head + "no colon here\n",
             head + position + position + "END Game_Summary\n",
         }) {
        GameSummary summary;
        std::string error;
        EXPECT_FALSE(readSummary(text, summary, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace ixo
