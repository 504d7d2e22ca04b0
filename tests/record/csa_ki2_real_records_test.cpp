#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "record/convert.h"
#include "record/ki2_reader.h"
#include "record/ki2_writer.h"
#include "record/record_format.h"
#include "record/replay.h"
#include "shogi/standard_rules.h"
#include "support/test_files.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

// The shared folders of CSA and KI2 records other programs wrote, beside the repository (or
// beside the folder of worktrees it is checked out in); IXO_REAL_RECORDS names another.
fs::path sharedFolder(const char* format) {
    const char* given = std::getenv("IXO_REAL_RECORDS");
    return given && *given ? fs::path(given) / format : sharedRecordsFolder(IXO_SOURCE_DIR, format);
}

std::string bytesOf(const fs::path& file) {
    std::string bytes;
    readWholeFile(file, bytes);
    return bytes;
}

std::string name(const GameRecord& record, const char* key, const char* other) {
    for (const RecordHeader& header : record.headers) {
        if (header.key == key || header.key == other) {
            return foldedName(header.value);
        }
    }
    return "";
}

// The independent reader's word for the ending of a main line.
std::string endingName(const GameRecord& record) {
    const RecordNode& last = record.mainLineEnd();
    switch (last.end) {
        case LineEnd::None:
            return "";
        case LineEnd::Resignation:
            return "resign";
        case LineEnd::Interrupted:
            return "interrupt";
        case LineEnd::Impasse:
            return "impass";
        case LineEnd::Repetition:
            return "repetitionDraw";
        case LineEnd::Checkmate:
            return "mate";
        case LineEnd::TimeUp:
            return "timeout";
        case LineEnd::FoulWin:
            return "foulWin";
        case LineEnd::FoulLoss:
            return "foulLose";
        case LineEnd::ImpasseWin:
            return "enteringOfKing";
        case LineEnd::WinByDefault:
            return "winByDefault";
        case LineEnd::LossByDefault:
            return "loseByDefault";
        case LineEnd::NoMate:
            return "noMate";
        case LineEnd::MaxMoves:
            return "maxMoves";
        case LineEnd::Draw:
            return "draw";
        case LineEnd::Error:
        case LineEnd::TakeBack:
            break;
    }
    return "?";
}

std::string usiLine(const GameRecord& record) {
    std::string usi;
    for (const Move& move : GameRecord::movesTo(record.mainLineEnd())) {
        usi += (usi.empty() ? "" : " ") + usiMove(requestOf(move));
    }
    return usi;
}

// Every file of a shared folder opens by its content as the independent reader opens it:
// start, moves, names and ending.
void expectReadAsIndependentReader(const char* format, RecordFormat detected) {
    const fs::path folder = sharedFolder(format);
    std::ifstream table(folder / "expected.tsv");
    if (!table) {
        GTEST_SKIP() << "no records at " << folder << " (set IXO_REAL_RECORDS)";
    }
    std::string line;
    std::getline(table, line);
    int files = 0;
    while (std::getline(table, line)) {
        const std::vector<std::string> row = tsvFields(line);
        ASSERT_EQ(row.size(), 8u) << line;
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(row[1], "yes");
        ++files;
        RecordFormat format = RecordFormat::Kif;
        const RecordReading reading = readAnyRecord(bytesOf(folder / row[0]), &format);
        EXPECT_EQ(format, detected);
        ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
        const GameRecord& record = reading.record;
        EXPECT_EQ(record.rules, RuleSet::Standard);
        EXPECT_EQ(toSfen(record.start), row[2]);
        EXPECT_EQ(GameRecord::movesTo(record.mainLineEnd()).size(), std::stoul(row[3]));
        EXPECT_EQ(usiLine(record), row[4]);
        EXPECT_EQ(name(record, "先手", "下手"), row[5]);
        EXPECT_EQ(name(record, "後手", "上手"), row[6]);
        EXPECT_EQ(endingName(record), row[7]);
    }
    EXPECT_GT(files, 10);
}

TEST(RealCsaRecords, OpenByContentAsAnIndependentReaderReadsThem) {
    expectReadAsIndependentReader("csa", RecordFormat::Csa);
}

TEST(RealKi2Records, OpenByContentAsAnIndependentReaderReadsThem) {
    expectReadAsIndependentReader("ki2", RecordFormat::Ki2);
}

RecordReading readShared(const char* format, const char* file) {
    return readAnyRecord(bytesOf(sharedFolder(format) / file));
}

// What a lenient reader skips without a word is refused here at its line.
TEST(RealCsaRecords, BrokenOnesAreRefusedAtTheLineThatBreaksThem) {
    if (!fs::exists(sharedFolder("csa") / "broken")) {
        GTEST_SKIP() << "no broken records";
    }
    const RecordReading movesOnly = readShared("csa", "broken/fixture-2013-moves-only.csa");
    EXPECT_EQ(movesOnly.errorLine, 1) << movesOnly.error;
    EXPECT_NE(movesOnly.error.find("before the start position"), std::string::npos);
    const RecordReading header = readShared("csa", "broken/fixture-jkf-header01-sjis-crlf.csa");
    EXPECT_EQ(header.errorLine, 6) << header.error;
    EXPECT_NE(header.error.find("START_TIME"), std::string::npos);
    const RecordReading letter = readShared("csa", "broken/fixture-jkf-xy-sjis-crlf.csa");
    EXPECT_EQ(letter.errorLine, 18) << letter.error;
    EXPECT_NE(letter.error.find("+7Y76FU"), std::string::npos);
}

// A variation number without its 手 is taken as the number it is: the main line is the same
// either way, and the variation is there too.
TEST(RealKi2Records, AVariationWithoutItsUnitIsReadAsTheMoveItNames) {
    if (!fs::exists(sharedFolder("ki2") / "broken")) {
        GTEST_SKIP() << "no broken records";
    }
    const RecordReading reading = readShared("ki2", "broken/fixture-jkf-fork01-sjis-crlf.ki2");
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    EXPECT_EQ(usiLine(reading.record), "7g7f 3c3d 2g2f");
    EXPECT_EQ(endingName(reading.record), "resign");
    EXPECT_EQ(reading.record.variationCount(), 1u);
}

// floodgate's comments after each move are the mover's engine's score and expected line.
TEST(RealCsaRecords, FloodgateCommentsAreTheMovesEvaluations) {
    const RecordReading reading = readShared("csa", "floodgate-2021-10b-40b.csa");
    if (!reading.ok() && reading.errorLine == 0) {
        GTEST_SKIP() << "no records";
    }
    ASSERT_TRUE(reading.ok()) << reading.error;
    const RecordNode* first = reading.record.root().mainChild();
    ASSERT_TRUE(first && first->evaluated);
    EXPECT_EQ(first->evaluation.centipawns, 113);
    EXPECT_EQ(first->evaluation.line.substr(0, 15), "-3334FU +2625FU");
    EXPECT_EQ(first->time.usedMs, 14000);
    // The last evaluation, then the final position and summary as the ending's comments.
    const RecordNode& end = reading.record.mainLineEnd();
    EXPECT_EQ(end.parent->evaluation.centipawns, 4370);
    EXPECT_NE(end.comment.find("summary:toryo"), std::string::npos);
}

// Every shared file that reads, of the three formats, converts to every format the game
// writes and back to the same start, main line and ending.
TEST(RealCsaRecords, EveryFileConvertsToEveryFormatAndBack) {
    int conversions = 0;
    for (const char* format : {"csa", "ki2", "kif"}) {
        const fs::path folder = sharedFolder(format);
        if (!fs::exists(folder / "expected.tsv")) {
            GTEST_SKIP() << "no records at " << folder;
        }
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if (name.find("broken") != std::string::npos ||
                (extension != ".csa" && extension != ".ki2" && extension != ".kif" &&
                 extension != ".kifu")) {
                continue;
            }
            SCOPED_TRACE(name);
            const RecordReading reading = readAnyRecord(bytesOf(entry.path()));
            ASSERT_TRUE(reading.ok()) << reading.error;
            for (const char* extension : {".kif", ".kifu", ".ki2", ".ki2u", ".csa"}) {
                SCOPED_TRACE(extension);
                const RecordWriting writing =
                    writeRecordAs(reading.record, *recordFileTypeOf(extension));
                ASSERT_TRUE(writing.ok()) << writing.error;
                const RecordReading back = readAnyRecord(writing.bytes);
                ASSERT_TRUE(back.ok()) << back.errorLine << ": " << back.error;
                EXPECT_EQ(back.record.start, reading.record.start);
                EXPECT_EQ(usiLine(back.record), usiLine(reading.record));
                EXPECT_EQ(endingName(back.record), endingName(reading.record));
                ++conversions;
            }
        }
    }
    EXPECT_GT(conversions, 300);
}

// A championship record that keeps every line its engine read runs past 1 MiB, and is a
// record all the same.
TEST(RealCsaRecords, ALargeEngineRecordConvertsFromItsFile) {
    const fs::path file = sharedFolder("csa") / "pro-2015-saito-apery-sjis.csa";
    if (!fs::exists(file)) {
        GTEST_SKIP() << "no records";
    }
    ASSERT_GT(fs::file_size(file), 1u << 20);
    const fs::path out = fs::temp_directory_path() / "ixo-large-record-test.kifu";
    std::string message;
    EXPECT_EQ(convertRecordFiles(file.string(), out.string(), message), 0) << message;
    EXPECT_EQ(usiLine(readAnyRecord(bytesOf(out)).record),
              usiLine(readAnyRecord(bytesOf(file)).record));
    fs::remove(out);
}

// The moves of a KI2 file's main line as it writes them, with 同's space and the dragon's
// variant name made one.
std::vector<std::string> writtenMoves(const std::string& bytes) {
    const std::string text = readAnyRecord(bytes).ok() ? bytes : "";
    std::vector<std::string> moves;
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    }
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.substr(0, 6) == "変化") {
            break;
        }
        while (!line.empty() && (line.substr(0, 3) == "▲" || line.substr(0, 3) == "△" ||
                                 line.front() == ' ' || line.substr(0, 3) == "　")) {
            line.remove_prefix(line.front() == ' ' ? 1 : 0);
            if (line.substr(0, 3) == "　") {
                line.remove_prefix(3);
                continue;
            }
            if (line.empty() || line.front() == ' ') {
                continue;
            }
            std::string_view before = line;
            Ki2Move move;
            std::string why;
            if (!takeKi2Move(line, move, why)) {
                break;
            }
            std::string token(before.substr(0, before.size() - line.size()));
            for (std::size_t at = token.find("同　"); at != std::string::npos;
                 at = token.find("同　")) {
                token.erase(at + 3, 3);
            }
            for (std::size_t at = token.find("竜"); at != std::string::npos;
                 at = token.find("竜")) {
                token.replace(at, 3, "龍");
            }
            moves.push_back(token);
        }
    }
    return moves;
}

// Written again, each move of a published game says what the published game says: the
// same words that tell its piece from the others, no more and no fewer.
TEST(RealKi2Records, WrittenAgainEachMoveReadsAsThePublishedGameWritesIt) {
    const fs::path folder = sharedFolder("ki2");
    if (!fs::exists(folder / "expected.tsv")) {
        GTEST_SKIP() << "no records at " << folder;
    }
    int compared = 0;
    for (const char* name :
         {"pro-1709-intatsu-sogin-08731.ki2", "pro-1710-migikyoochi-intatsu-soyo-27585.ki2",
          "pro-1711-kakuochi-sogin-intatsu-15733.ki2", "pro-1711-kyoochi-insa-intatsu-37368.ki2",
          "fixture-simple-noheader.ki2"}) {
        SCOPED_TRACE(name);
        const std::string bytes = bytesOf(folder / name);
        const RecordReading reading = readAnyRecord(bytes);
        ASSERT_TRUE(reading.ok()) << reading.error;
        const std::vector<std::string> published = writtenMoves(bytes);
        Position position = reading.record.start;
        const Move* previous = nullptr;
        std::size_t index = 0;
        for (const RecordNode* node : GameRecord::path(reading.record.mainLineEnd())) {
            if (node->isEnd()) {
                break;
            }
            std::string ours = ki2MoveText(position, node->move, previous);
            for (std::size_t at = ours.find("同　"); at != std::string::npos;
                 at = ours.find("同　")) {
                ours.erase(at + 3, 3);
            }
            ASSERT_LT(index, published.size());
            EXPECT_EQ(ours, published[index]) << "move " << index + 1;
            applyRecordedMove(RuleSet::Standard, position, node->move);
            previous = &node->move;
            ++index;
            ++compared;
        }
    }
    EXPECT_GT(compared, 600);
}

}  // namespace
}  // namespace ixo
