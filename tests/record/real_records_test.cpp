#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/match.h"
#include "record/kif_reader.h"
#include "record/text_encoding.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"
#include "support/record_lines.h"
#include "support/test_files.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

// The shared folder of KIF records other programs wrote; a checkout elsewhere names it in
// IXO_REAL_KIF.
fs::path realRecords() {
    const char* given = std::getenv("IXO_REAL_KIF");
    return given && *given ? fs::path(given) : sharedRecordsFolder(IXO_SOURCE_DIR, "kif");
}

std::string header(const RecordReading& reading, const char* key, const char* other) {
    for (const RecordHeader& line : reading.record.headers) {
        if (line.key == key || line.key == other) {
            return foldedName(line.value);
        }
    }
    return "";
}

GameEnd endOf(const std::string& word, GameEnd ifNone) {
    if (word == "投了") {
        return GameEnd::Resignation;
    }
    if (word == "詰み") {
        return GameEnd::Checkmate;
    }
    if (word == "反則負け") {
        return GameEnd::IllegalMove;
    }
    if (word == "切れ負け") {
        return GameEnd::TimeUp;
    }
    return ifNone;
}

// Every record of the shared collection opens as an independent reader opens it, start,
// moves, names and ending; the broken ones are refused at the move that breaks the rules.
TEST(RealRecords, OpenAsAnIndependentReaderReadsThemAndTheBrokenOnesAreRefused) {
    const fs::path folder = realRecords();
    std::ifstream table(folder / "expected.tsv");
    if (!table) {
        GTEST_SKIP() << "no records at " << folder << " (set IXO_REAL_KIF)";
    }
    std::string line;
    std::getline(table, line);
    int files = 0;
    while (std::getline(table, line)) {
        const std::vector<std::string> row = tsvFields(line);
        ASSERT_EQ(row.size(), 12u) << line;
        const std::string& name = row[0];
        SCOPED_TRACE(name);
        ++files;
        std::ifstream file(folder / name, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        const std::optional<std::string> text = decodeRecordText(bytes.str());
        ASSERT_TRUE(text.has_value());
        const RecordReading reading = readKifRecord(*text);
        const std::vector<Move> moves = test::mainLineMoves(reading.record);
        std::string usi;
        for (const Move& move : moves) {
            usi += (usi.empty() ? "" : " ") + usiMove(requestOf(move));
        }
        if (row[10] == "yes") {
            ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
            EXPECT_EQ(reading.record.rules, RuleSet::Standard);
            EXPECT_EQ(toSfen(reading.record.start), row[3]);
            EXPECT_EQ(moves.size(), std::stoul(row[4]));
            EXPECT_EQ(usi, row[5]);
            EXPECT_EQ(header(reading, "先手", "下手"), row[6]);
            EXPECT_EQ(header(reading, "後手", "上手"), row[7]);
            // The rules see a mate for themselves, whatever word follows it (many writers
            // put 投了 after the mating move) or when none does.
            // As the game opens it: at the end of its main line.
            Match opened;
            std::string error;
            ASSERT_TRUE(opened.load(reading.record, error)) << error;
            const GameEnd judged = opened.outcome().how;
            const GameEnd said = endOf(row[9], GameEnd::None);
            if (judged != GameEnd::Checkmate ||
                (said != GameEnd::Resignation && said != GameEnd::None)) {
                EXPECT_EQ(judged, said) << static_cast<int>(judged);
            }
            // Every writer here keeps each side's total as the running sum of its moves'
            // times, so a total that is not that sum is a column read wrongly.
            const std::vector<MoveTime> times = test::mainLineTimes(reading.record);
            ASSERT_EQ(times.size(), moves.size());
            std::int64_t sums[2] = {0, 0};
            for (std::size_t ply = 0; ply < times.size(); ++ply) {
                std::int64_t& sum = sums[moves[ply].owner];
                sum += times[ply].usedMs;
                EXPECT_EQ(times[ply].totalMs, sum) << "move " << ply + 1;
            }
        } else {
            EXPECT_FALSE(reading.ok());
            EXPECT_EQ(usi, row[5]);
            // "move 89 (７三歩打) not played": our reason names the same move.
            const std::string stop = row[11].substr(0, row[11].find(" ("));
            if (std::stoul(row[4]) > 0) {
                EXPECT_EQ(reading.error.rfind(stop + " ", 0), 0u) << reading.error;
            }
        }
    }
    EXPECT_EQ(files, 38);
}

// The times as the files give them: a move past half an hour, a total of six hours, and a
// writer that pads nothing.
TEST(RealRecords, MovesTimesAreReadAsTheFilesGiveThem) {
    struct {
        const char* file;
        std::size_t move;
        std::int64_t usedSeconds, totalSeconds;
    } const cases[] = {
        {"games/ama-2012-iwate-ouza-sennichite-sjis.kif", 3, 3, 13},
        {"games/ama-2026-iwate-grandchampion-henka-sjis.kif", 78, 36 * 60 + 39, 38 * 60 + 17},
        {"games/pro-2021-oui-g1-sjis-crlf.kif", 104, 0, 6 * 3600 + 20 * 60},
        {"games/eng-2021-random-selfplay.kif", 3, 1, 2},
        {"games/eng-lesserkai-henka-sjis.kif", 3, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream file(realRecords() / c.file, std::ios::binary);
        if (!file) {
            GTEST_SKIP() << "no records at " << realRecords() << " (set IXO_REAL_KIF)";
        }
        std::stringstream bytes;
        bytes << file.rdbuf();
        const RecordReading reading = readKifRecord(decodeRecordText(bytes.str()).value_or(""));
        ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
        const std::vector<MoveTime> times = test::mainLineTimes(reading.record);
        ASSERT_GE(times.size(), c.move);
        EXPECT_EQ(times[c.move - 1].usedMs, c.usedSeconds * 1000);
        EXPECT_EQ(times[c.move - 1].totalMs, c.totalSeconds * 1000);
    }
}

}  // namespace
}  // namespace ixo
