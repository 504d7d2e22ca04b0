#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/server_record.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "shogi/handicaps.h"

namespace ixo {
namespace {

std::string header(const GameRecord& record, const std::string& key) {
    for (const RecordHeader& line : record.headers) {
        if (line.key == key) {
            return line.value;
        }
    }
    return "(none)";
}

CsaTimeControl timeControl(std::int64_t totalS, std::int64_t byoyomiS, std::int64_t incrementS) {
    CsaTimeControl control;
    control.totalMs = totalS * 1000;
    control.byoyomiMs = byoyomiS * 1000;
    control.incrementMs = incrementS * 1000;
    return control;
}

// A handicap game on floodgate's pattern, written as KIF and read back as any record is.
TEST(ServerRecord, AServerGameReadsBackWithItsStartNamesEventAndTimeControl) {
    GameSummary summary;
    summary.gameId = "wdoor+floodgate-600-30+alice+bob+20261209060000";
    summary.names = {"alice", "bob"};
    summary.time = {timeControl(600, 30, 0), timeControl(600, 30, 0)};
    ASSERT_TRUE(handicapPosition("香落ち", summary.start));
    const GameRecord record = serverGameRecord(summary, "2026/12/09 06:00:00");
    const RecordReading back = readKifRecord(writeKifRecord(record));
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.record.start, summary.start);
    EXPECT_EQ(back.record.handicap, "香落ち");
    EXPECT_EQ(header(back.record, "下手"), "alice");
    EXPECT_EQ(header(back.record, "上手"), "bob");
    EXPECT_EQ(header(back.record, "棋戦"), summary.gameId);
    EXPECT_EQ(header(back.record, "持ち時間"), "10分+30秒");

    summary.start = Position::start();
    summary.time[1] = timeControl(300, 0, 0);
    const GameRecord even = serverGameRecord(summary, "2026/12/09 06:00:00");
    EXPECT_EQ(header(even, "先手"), "alice");
    EXPECT_EQ(header(even, "持ち時間"), "(none)");
    EXPECT_EQ(header(even, "後手持ち時間"), "5分切れ負け");
}

TEST(ServerRecord, TimeControlsReadAsKifRecordsWriteThem) {
    EXPECT_EQ(timeControlText(timeControl(600, 30, 0)), "10分+30秒");
    EXPECT_EQ(timeControlText(timeControl(180, 0, 2)), "3分+2秒加算");
    EXPECT_EQ(timeControlText(timeControl(90, 0, 0)), "90秒切れ負け");
    EXPECT_EQ(timeControlText(timeControl(0, 10, 0)), "0秒+10秒");
}

// The line end is said from the side to move at the end, as KIF says it; the server says it
// from ours.
TEST(ServerRecord, EveryServerResultEndsTheLineAsTheServerJudgedIt) {
    struct Case {
        CsaOutcome outcome;
        CsaReason reason;
        int ourSide;
        int sideToMove;
        LineEnd expected;
    };
    const std::vector<Case> cases = {
        {CsaOutcome::Win, CsaReason::Resign, 0, 1, LineEnd::Resignation},
        {CsaOutcome::Lose, CsaReason::TimeUp, 1, 1, LineEnd::TimeUp},
        // The opponent's move was refused: the side to move, the opponent, lost by it.
        {CsaOutcome::Win, CsaReason::IllegalMove, 0, 1, LineEnd::FoulLoss},
        // Perpetual check: the checker, who has just moved, loses; the side to move wins.
        {CsaOutcome::Win, CsaReason::OuteSennichite, 0, 0, LineEnd::FoulWin},
        {CsaOutcome::Draw, CsaReason::Sennichite, 0, 1, LineEnd::Repetition},
        {CsaOutcome::Win, CsaReason::Jishogi, 1, 1, LineEnd::ImpasseWin},
        {CsaOutcome::Draw, CsaReason::Jishogi, 1, 1, LineEnd::Impasse},
        {CsaOutcome::Draw, CsaReason::MaxMoves, 0, 0, LineEnd::MaxMoves},
        {CsaOutcome::Interrupted, CsaReason::Chudan, 0, 0, LineEnd::Interrupted},
        {CsaOutcome::Censored, CsaReason::None, 0, 1, LineEnd::Interrupted},
    };
    for (const Case& c : cases) {
        CsaResult result;
        result.outcome = c.outcome;
        result.reason = c.reason;
        EXPECT_EQ(serverLineEnd(result, c.ourSide, c.sideToMove), c.expected)
            << static_cast<int>(c.reason) << " " << static_cast<int>(c.outcome);
    }
}

}  // namespace
}  // namespace ixo
