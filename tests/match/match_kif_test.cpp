#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "match/match.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"

namespace ixo {
namespace {

MoveRequest usi(const char* text) {
    MoveRequest request;
    EXPECT_TRUE(parseUsiMove(text, request)) << text;
    return request;
}

// Written and read back, a game must come back as the same match: the same moves with the
// same times, the same start, the same ending and the same rules.
Match readBack(const std::string& text) {
    RecordReading reading = readKifRecord(text);
    EXPECT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error << "\n" << text;
    GameRecord record = std::move(reading.record);
    Match match(record.rules);
    std::string error;
    EXPECT_TRUE(match.load(std::move(record), error)) << error;
    return match;
}

TEST(MatchRecord, AStandardGameComesBackWithItsSetUpStartTimesAndResignation) {
    std::int64_t now = 0;
    GameRecord setUp;
    setUp.rules = RuleSet::Standard;
    std::string error;
    ASSERT_TRUE(parseSfen("4k4/9/9/9/9/9/9/9/4K4 b 2Gp 1", setUp.start, error)) << error;
    Match match(RuleSet::Standard, [&] { return now; });
    ASSERT_TRUE(match.load(setUp, error)) << error;
    now += 3000;
    ASSERT_EQ(match.play(usi("G*5c")), Refusal::None);
    now += 65000;
    ASSERT_EQ(match.play(usi("5a4a")), Refusal::None);
    ASSERT_TRUE(match.resign());

    Match back = readBack(writeKifRecord(match.record()));
    EXPECT_EQ(back.record().start, setUp.start);
    EXPECT_EQ(back.played(), match.played());
    EXPECT_EQ(back.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(back.outcome().winner, 1);
    const RecordNode& red = *back.current().parent;
    EXPECT_EQ(red.time.usedMs, 65000);
    EXPECT_EQ(red.parent->time.usedMs, 3000);
    EXPECT_EQ(back.clock().totalUsed(1, now), 65000);
}

// The file holds the whole game as played, so a take-back loses nothing, and the game goes
// on at the end of its main line, under either rules.
TEST(MatchRecord, ATakenBackMoveIsKeptAndTheGameGoesOnAtTheEndOfTheMainLine) {
    for (const RuleSet rules : {RuleSet::Simple, RuleSet::Standard}) {
        Match match(rules);
        for (const char* move : {"7g7f", "3c3d", "2g2f"}) {
            ASSERT_EQ(match.play(usi(move)), Refusal::None) << move;
        }
        ASSERT_TRUE(match.takeBack());
        const std::string text = writeKifRecord(match.record());
        Match back = readBack(text);
        ASSERT_TRUE(match.replay());
        EXPECT_EQ(back.rules(), rules) << text;
        EXPECT_EQ(back.played(), match.played()) << text;
        EXPECT_EQ(back.position(), match.position()) << text;
    }
}

TEST(MatchRecord, AFoulAndALossOnTimeAreWrittenForTheSideThatLost) {
    for (const bool onTime : {false, true}) {
        Match match(RuleSet::Standard);
        ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
        ASSERT_TRUE(onTime ? match.loseOnTime(1) : match.loseByFoul(1));
        Match back = readBack(writeKifRecord(match.record()));
        EXPECT_EQ(back.outcome().how, onTime ? GameEnd::TimeUp : GameEnd::IllegalMove);
        EXPECT_EQ(back.outcome().winner, 0);
    }
}

}  // namespace
}  // namespace ixo
