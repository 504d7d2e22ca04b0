#include "match/player_notice.h"

#include <gtest/gtest.h>

#include <string>

namespace ixo {
namespace {

// The line under the board is shared by the controller, the computer and the hint; each
// player's words must take it, leave it, or wait for it without wiping out anyone else's.
class NoticeLineTest : public ::testing::Test {
  protected:
    void show() { reader_.show(notice_, line_); }

    PlayerNotice notice_;
    NoticeReader reader_;
    std::string line_;
};

TEST_F(NoticeLineTest, ARunningRemarkWaitsForAFreeLineAndLeavesOnlyItsOwnWords) {
    notice_.offer("Red is thinking");
    show();
    EXPECT_EQ(line_, "Red is thinking");
    notice_.offer("Red is thinking +0.30");
    show();
    EXPECT_EQ(line_, "Red is thinking +0.30");

    // A refusal takes the line: the next remark does not cover it, and waits.
    line_ = "That piece cannot move there";
    notice_.offer("Red is thinking +0.50");
    show();
    EXPECT_EQ(line_, "That piece cannot move there");
    line_.clear();
    show();
    EXPECT_EQ(line_, "Red is thinking +0.50");

    // Withdrawn over someone else's words, those words stay.
    line_ = "Start a new game? Press N again to confirm";
    notice_.withdraw();
    show();
    EXPECT_EQ(line_, "Start a new game? Press N again to confirm");
}

TEST_F(NoticeLineTest, WordsAreShownOnceSoWhatEmptiedTheLineIsNotUndone) {
    notice_.say("Hint: ７六歩");
    show();
    EXPECT_EQ(line_, "Hint: ７六歩");
    line_.clear();  // a move played
    show();
    EXPECT_EQ(line_, "");
    notice_.withdraw();
    show();
    EXPECT_EQ(line_, "");
}

TEST_F(NoticeLineTest, AFailureToldStaysThroughAWithdrawalAndAClearEmptiesAnyLine) {
    notice_.tell("The engine failed: it crashed; two players now");
    show();
    notice_.withdraw();
    show();
    EXPECT_EQ(line_, "The engine failed: it crashed; two players now");

    line_ = "Promote? Click the promoted or the unpromoted piece";
    notice_.clear();
    show();
    EXPECT_EQ(line_, "");
}

TEST_F(NoticeLineTest, TheSameWordsSaidAgainAreShownAgain) {
    notice_.say("Hint: the game is over");
    show();
    line_.clear();
    notice_.say("Hint: the game is over");
    show();
    EXPECT_EQ(line_, "Hint: the game is over");
}

}  // namespace
}  // namespace ixo
