#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "match/match.h"

namespace ixo {
namespace {

MoveRequest usi(const char* text) {
    MoveRequest request;
    EXPECT_TRUE(parseUsiMove(text, request)) << text;
    return request;
}

// A clock the test steps by hand, shared by the match and the test.
struct SteppedClock {
    std::int64_t ms = 100000;
    Match::Now now() {
        return [this] { return ms; };
    }
};

struct Heard : MatchObserver {
    std::vector<MatchEvent> events;
    void onMatchEvent(const Match&, MatchEvent event, const Move&) override {
        events.push_back(event);
    }
};

Match fromSfen(RuleSet rules, const char* sfen) {
    GameRecord record;
    record.rules = rules;
    std::string error;
    EXPECT_TRUE(parseSfen(sfen, record.start, error)) << error;
    Match match(rules);
    EXPECT_TRUE(match.load(std::move(record), error)) << error;
    return match;
}

class MatchUnderBothRules : public testing::TestWithParam<RuleSet> {};

// The line that was taken back is what a player reviewing the game wants to see later, so a
// new move beside it must not throw it away; and replay must follow the game as played.
TEST_P(MatchUnderBothRules,
       ANewMoveAfterATakeBackKeepsTheOldLineAsAVariationAndReplayFollowsTheNew) {
    Match match(GetParam());
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    ASSERT_EQ(match.play(usi("3c3d")), Refusal::None);
    ASSERT_EQ(match.play(usi("2g2f")), Refusal::None);
    ASSERT_TRUE(match.takeBack());
    ASSERT_TRUE(match.takeBack());
    ASSERT_EQ(match.play(usi("8c8d")), Refusal::None);

    const RecordNode& afterFirst = *match.record().root().mainChild();
    ASSERT_EQ(afterFirst.children.size(), 2u);
    EXPECT_EQ(usiMove(requestOf(afterFirst.children[0]->move)), "8c8d");
    EXPECT_EQ(usiMove(requestOf(afterFirst.children[1]->move)), "3c3d");
    // The variation keeps everything after it too.
    ASSERT_NE(afterFirst.children[1]->mainChild(), nullptr);
    EXPECT_EQ(usiMove(requestOf(afterFirst.children[1]->mainChild()->move)), "2g2f");

    ASSERT_TRUE(match.takeBack());
    ASSERT_TRUE(match.replay());
    EXPECT_EQ(usiMove(requestOf(*match.lastMove())), "8c8d");
    EXPECT_FALSE(match.replay());
    EXPECT_EQ(match.position().sideToMove, 0);
    EXPECT_EQ(&match.record().mainLineEnd(), &match.current());
}

// Each move's time belongs to its node: a take-back must not lose it, a replay must charge
// exactly it again, and the clocks must add up to the times the record keeps.
TEST_P(MatchUnderBothRules, MoveTimesStayOnTheirNodesThroughTakeBackAndReplay) {
    SteppedClock time;
    Match match(GetParam(), time.now());
    time.ms += 1500;
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    time.ms += 4000;
    ASSERT_EQ(match.play(usi("3c3d")), Refusal::None);
    const RecordNode& red = match.current();
    EXPECT_EQ(red.time.usedMs, 4000);
    EXPECT_TRUE(red.timed);

    ASSERT_TRUE(match.takeBack());
    time.ms += 60000;  // a long look at the position before replaying
    EXPECT_EQ(match.clock().totalUsed(1, time.ms), 60000);
    ASSERT_TRUE(match.replay());
    EXPECT_EQ(match.current().time.usedMs, 4000);
    EXPECT_EQ(match.current().time.totalMs, 4000);
    EXPECT_EQ(match.clock().totalUsed(0, time.ms), 1500);
    EXPECT_EQ(match.clock().totalUsed(1, time.ms), 4000);
    EXPECT_EQ(match.clock().sideToMove(), 0);

    // Made again by a player rather than replayed, the move costs what it cost this time.
    ASSERT_TRUE(match.takeBack());
    time.ms += 700;
    ASSERT_EQ(match.play(usi("3c3d")), Refusal::None);
    EXPECT_EQ(match.current().time.usedMs, 700);
    EXPECT_EQ(match.record().root().mainChild()->children.size(), 1u);
}

// Two players walk into the same position again and again; the match must see the fourth
// time under the standard rules and nothing at all under the simple ones.
// A game without a time control still measures each move for the record; a wait outside the
// game (choosing the next one, then going back) must not be charged to the move.
TEST_P(MatchUnderBothRules, AHoldStopsEvenAClockWithoutATimeControlAndPDoesNot) {
    SteppedClock time;
    Match match(GetParam(), time.now());
    EXPECT_FALSE(match.togglePause());
    time.ms += 1500;
    ASSERT_TRUE(match.hold(true));
    EXPECT_FALSE(match.hold(true));
    time.ms += 60000;
    ASSERT_TRUE(match.hold(false));
    time.ms += 500;
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    EXPECT_EQ(match.current().time.usedMs, 2000);
}

TEST_P(MatchUnderBothRules, TheFourthRepetitionEndsOnlyTheStandardGame) {
    Match match(GetParam());
    for (int cycle = 0; cycle < 3; ++cycle) {
        for (const char* move : {"2h3h", "8b7b", "3h2h", "7b8b"}) {
            ASSERT_EQ(match.play(usi(move)), Refusal::None) << "cycle " << cycle << " " << move;
        }
    }
    if (GetParam() == RuleSet::Standard) {
        EXPECT_EQ(match.outcome().how, GameEnd::Repetition);
        EXPECT_EQ(match.play(usi("2h3h")), Refusal::GameOver);
        // Taking the last move back undoes the draw with it.
        ASSERT_TRUE(match.takeBack());
        EXPECT_FALSE(match.outcome().over());
    } else {
        EXPECT_FALSE(match.outcome().over());
        EXPECT_EQ(match.play(usi("2h3h")), Refusal::None);
    }
}

// A flag fall, like a resignation, is an ending of its own: the first take-back undoes it
// alone, with the time the side had when its turn began, and replay brings it back.
TEST_P(MatchUnderBothRules, AFlagFallIsTakenBackOnItsOwnAndReplayedAsAnEnding) {
    SteppedClock time;
    Match match(GetParam(), time.now(), TimeControl{10000, 0, 0});
    Heard heard;
    match.addObserver(&heard);
    time.ms += 2000;
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    time.ms += 9000;
    EXPECT_FALSE(match.judgeFlag());
    time.ms += 1001;
    ASSERT_TRUE(match.judgeFlag());
    EXPECT_EQ(match.outcome().how, GameEnd::TimeUp);
    EXPECT_EQ(match.outcome().winner, 0);
    EXPECT_EQ(match.play(usi("3c3d")), Refusal::GameOver);
    EXPECT_EQ(heard.events.back(), MatchEvent::Ended);

    ASSERT_TRUE(match.takeBack());
    EXPECT_FALSE(match.outcome().over());
    EXPECT_EQ(match.position().sideToMove, 1);
    EXPECT_EQ(match.ply(), 1u);
    EXPECT_EQ(match.clock().left(1, time.ms).mainMs, 10000);
    EXPECT_EQ(heard.events.back(), MatchEvent::Ended);

    ASSERT_TRUE(match.replay());
    EXPECT_EQ(match.outcome().how, GameEnd::TimeUp);
    ASSERT_TRUE(match.takeBack());
    // A move instead of the fall keeps the fall as a variation, as any other line.
    ASSERT_EQ(match.play(usi("3c3d")), Refusal::None);
    const RecordNode& branch = *match.current().parent;
    ASSERT_EQ(branch.children.size(), 2u);
    EXPECT_EQ(branch.children[1]->end, LineEnd::TimeUp);
}

INSTANTIATE_TEST_SUITE_P(Rules, MatchUnderBothRules,
                         testing::Values(RuleSet::Simple, RuleSet::Standard),
                         [](const testing::TestParamInfo<RuleSet>& info) {
                             return info.param == RuleSet::Simple ? "Simple" : "Standard";
                         });

// The simple rules are the same Position with fewer rules: forced promotion, no hands, no
// check. Each case fails if one of the standard rules leaks into them.
TEST(SimpleRulesThroughTheMatch, APieceLandingInItsFarZonePromotesWhateverTheRequestSays) {
    Match match = fromSfen(RuleSet::Simple, "4k4/4p4/9/4P4/9/9/9/9/4K4 b - 1");
    // Asked before the move, the answer is the same for both sides in their own far zone,
    // and a piece already promoted, or moving outside the zone, has no choice to make.
    EXPECT_EQ(promotionFor(match.position(), 4, 3, 4, 2, RuleSet::Simple), Promotion::Forced);
    EXPECT_EQ(promotionFor(match.position(), 4, 1, 4, 2, RuleSet::Simple), Promotion::Impossible);
    EXPECT_EQ(promotionFor(match.position(), 4, 8, 4, 7, RuleSet::Simple), Promotion::Impossible);
    Position redPawnLow = match.position();
    redPawnLow.board.place(4, 5, Pawn, 1);
    EXPECT_EQ(promotionFor(redPawnLow, 4, 5, 4, 6, RuleSet::Simple), Promotion::Forced);
    MoveRequest request = usi("5d5c");
    request.promote = false;
    Move made;
    ASSERT_EQ(match.play(request, &made), Refusal::None);
    EXPECT_TRUE(made.promoted);
    EXPECT_EQ(match.position().board.cellAt(4, 2).piece, PromotedPawn);
}

TEST(SimpleRulesThroughTheMatch, ACapturedPieceLeavesTheGameAndNothingIsEverInHand) {
    Match simple = fromSfen(RuleSet::Simple, "4k4/9/9/4p4/9/9/9/4R4/4K4 b - 1");
    Match standard = fromSfen(RuleSet::Standard, "4k4/9/9/4p4/9/9/9/4R4/4K4 b - 1");
    ASSERT_EQ(simple.play(usi("5h5d")), Refusal::None);
    ASSERT_EQ(standard.play(usi("5h5d")), Refusal::None);
    EXPECT_EQ(simple.position().hands[0][Pawn], 0);
    EXPECT_EQ(standard.position().hands[0][Pawn], 1);
    EXPECT_EQ(simple.current().move.captured, Pawn);
    // Taking it back puts the pawn back on its square, not into a hand.
    ASSERT_TRUE(simple.takeBack());
    EXPECT_EQ(simple.position().board.cellAt(4, 3).piece, Pawn);
    EXPECT_EQ(simple.position().board.cellAt(4, 3).owner, 1);
    EXPECT_EQ(simple.position().hands[1][Pawn], 0);
    EXPECT_EQ(simple.play(usi("P*5e")), Refusal::NotYourPiece);
}

TEST(SimpleRulesThroughTheMatch, NothingTestsForCheck) {
    const char* kRookOnTheKingsWay = "k3r4/9/9/9/9/9/9/9/5K3 b - 1";
    Match simple = fromSfen(RuleSet::Simple, kRookOnTheKingsWay);
    Match standard = fromSfen(RuleSet::Standard, kRookOnTheKingsWay);
    EXPECT_EQ(standard.play(usi("4i5h")), Refusal::LeavesKingInCheck);
    EXPECT_EQ(simple.play(usi("4i5h")), Refusal::None);
    EXPECT_FALSE(simple.finished());
    // A taken king ends nothing the record holds, but no engine or clock can go on.
    ASSERT_EQ(simple.play(usi("5a5h")), Refusal::None);
    EXPECT_FALSE(simple.outcome().over());
    EXPECT_TRUE(simple.finished());
}

// Red's moves are judged on the flipped board, as the turn controller always judged them;
// asked in screen squares, a Red pawn goes down the screen, and never up.
TEST(SimpleRulesThroughTheMatch, RedIsJudgedInItsOwnFrameAndAnsweredInScreenSquares) {
    Match match(RuleSet::Simple);
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    const MoveMap pawn = legalDestinations(match.position(), 4, 2, RuleSet::Simple);
    EXPECT_EQ(pawn.count(), 1);
    EXPECT_TRUE(pawn.isMarked(4, 3));
    EXPECT_EQ(match.play(usi("5c5b")), Refusal::CannotMoveThere);
    EXPECT_EQ(match.play(usi("7f7e")), Refusal::NotYourPiece);
    EXPECT_EQ(match.play(usi("5c5d")), Refusal::None);
    EXPECT_EQ(match.position().sideToMove, 0);
}

TEST(MatchRequests, AResignationIsTakenBackAloneAndANewGameForgetsTheRecord) {
    Match match(RuleSet::Standard);
    Heard heard;
    match.addObserver(&heard);
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    ASSERT_TRUE(match.resign());
    EXPECT_EQ(match.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(match.outcome().winner, 0);
    EXPECT_FALSE(match.resign());
    ASSERT_TRUE(match.takeBack());
    EXPECT_EQ(match.ply(), 1u);
    EXPECT_EQ(match.position().sideToMove, 1);
    match.newGame();
    EXPECT_EQ(match.record().nodeCount(), 1u);
    EXPECT_EQ(match.position(), Position::start());
    EXPECT_EQ(match.rules(), RuleSet::Standard);
    const std::vector<MatchEvent> expected{MatchEvent::Played, MatchEvent::Ended, MatchEvent::Ended,
                                           MatchEvent::NewGame};
    EXPECT_EQ(heard.events, expected);
}

TEST(MatchRequests, GoingToAVariationStandsWhereThatLineLeads) {
    Match match(RuleSet::Standard);
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    ASSERT_EQ(match.play(usi("3c3d")), Refusal::None);
    ASSERT_TRUE(match.takeBack());
    ASSERT_EQ(match.play(usi("8c8d")), Refusal::None);
    const RecordNode& variation = *match.record().root().mainChild()->children[1];
    ASSERT_TRUE(match.goTo(variation));
    EXPECT_EQ(match.position().board.cellAt(6, 3).piece, Pawn);   // 3d
    EXPECT_EQ(match.position().board.cellAt(1, 3).piece, Empty);  // 8d
    EXPECT_EQ(match.ply(), 2u);

    Match other(RuleSet::Standard);
    EXPECT_FALSE(other.goTo(variation));
    EXPECT_EQ(other.ply(), 0u);
}

// Going to a node walks back to where the lines meet and down the other; a slip in either
// half (a move not undone, a key left behind) shows as a position, ply or ending that a
// replay from the start would not give.
TEST(MatchRequests, JumpingBetweenLinesLandsWhereTheirMovesLeadFromTheStart) {
    Match match(RuleSet::Standard);
    for (const char* move : {"7g7f", "3c3d", "8h2b+", "3a2b", "2g2f", "8c8d", "2f2e", "8d8e"}) {
        ASSERT_EQ(match.play(usi(move)), Refusal::None) << move;
    }
    for (int back = 0; back < 6; ++back) {
        ASSERT_TRUE(match.takeBack());
    }
    for (const char* move : {"2g2f", "4a3b", "2f2e"}) {
        ASSERT_EQ(match.play(usi(move)), Refusal::None) << move;
    }
    ASSERT_TRUE(match.resign());

    std::vector<const RecordNode*> nodes{&match.record().root()};
    for (std::size_t next = 0; next < nodes.size(); ++next) {
        for (const auto& child : nodes[next]->children) {
            nodes.push_back(child.get());
        }
    }
    ASSERT_EQ(nodes.size(), 13u);
    for (std::size_t visit = 0; visit < 3 * nodes.size(); ++visit) {
        const RecordNode& node = *nodes[(visit * 7) % nodes.size()];
        ASSERT_TRUE(match.goTo(node));
        Position expected = Position::start();
        for (const Move& move : GameRecord::movesTo(node)) {
            ASSERT_TRUE(playMove(expected, requestOf(move), RuleSet::Standard));
        }
        EXPECT_EQ(match.position(), expected) << "node at ply " << node.ply;
        EXPECT_EQ(match.ply(), GameRecord::movesTo(node).size());
        EXPECT_EQ(match.outcome().over(), node.isEnd());
        EXPECT_EQ(&match.current(), &node);
    }
}

// A record from elsewhere goes on from the end of its main line, unless that line cannot be
// played: then the match keeps the game it had.
TEST(MatchRequests, LoadingARecordStandsAtItsEndOrRefusesAMainLineTheRulesRefuse) {
    Match source(RuleSet::Standard);
    ASSERT_EQ(source.play(usi("7g7f")), Refusal::None);
    ASSERT_EQ(source.play(usi("3c3d")), Refusal::None);
    GameRecord interrupted = source.record();
    interrupted.addEnd(interrupted.mainLineEnd(), LineEnd::Interrupted,
                       GameRecord::Placement::MainLine);

    Match match(RuleSet::Standard);
    std::string error;
    ASSERT_TRUE(match.load(interrupted, error)) << error;
    EXPECT_EQ(match.ply(), 2u);
    EXPECT_FALSE(match.current().isEnd());
    EXPECT_EQ(match.play(usi("2g2f")), Refusal::None);

    GameRecord broken = source.record();
    Move impossible = broken.mainLineEnd().move;
    impossible.toRow = 5;  // a pawn two squares at once
    broken.addMove(broken.mainLineEnd(), impossible, GameRecord::Placement::MainLine);
    Match kept(RuleSet::Standard);
    ASSERT_EQ(kept.play(usi("2g2f")), Refusal::None);
    EXPECT_FALSE(kept.load(broken, error));
    EXPECT_NE(error.find("move 3"), std::string::npos) << error;
    EXPECT_EQ(kept.ply(), 1u);
    EXPECT_EQ(kept.record().nodeCount(), 2u);
}

}  // namespace
}  // namespace ixo
