#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "record/convert.h"
#include "record/csa_reader.h"
#include "record/ki2_reader.h"
#include "record/kif_writer.h"
#include "record/record_format.h"
#include "record/replay.h"
#include "record/text_encoding.h"
#include "shogi/handicaps.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

// A standard game of random legal moves (drops, promotions and declined ones among them) from
// the even start or a handicap, with a variation, times, comments and an evaluation here and
// there, ended by mate or by `end`.
GameRecord randomRecord(unsigned seed, LineEnd end) {
    std::mt19937 random(seed);
    GameRecord record;
    record.rules = RuleSet::Standard;
    handicapPosition(seed % 3 == 0 ? "二枚落ち" : kEvenGameName, record.start);
    record.headers = {{"先手", "羽生　善治"}, {"後手", "Red, the engine"}, {"棋戦", "test"}};
    record.root().comment = "before the first move";
    StandardGame game(record.start);
    RecordNode* at = &record.root();
    std::vector<MoveRequest> moves;
    const int length = std::uniform_int_distribution<int>(20, 160)(random);
    for (int ply = 0; ply < length && !game.outcome().over(); ++ply) {
        legalMoves(game.position(), moves);
        const MoveRequest request =
            moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)];
        if (ply == 5) {
            // A line beside the game: another legal move from the same place.
            Position aside = game.position();
            Move other;
            const MoveRequest alternative = moves[(moves.size() / 2 + 1) % moves.size()];
            if (playStandardMove(aside, alternative, &other) &&
                !(requestOf(other).fromColumn == request.fromColumn &&
                  requestOf(other).toColumn == request.toColumn &&
                  requestOf(other).toRow == request.toRow)) {
                record.addMove(*at, other, GameRecord::Placement::Variation)->comment = "aside";
            }
        }
        Move made;
        EXPECT_TRUE(game.play(request, &made));
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
        at->timed = true;
        at->time.usedMs = std::uniform_int_distribution<int>(0, 300)(random) * 1000;
        const RecordNode* before = at->parent->parent;
        at->time.totalMs =
            (before && !before->isRoot() ? before->time.totalMs : 0) + at->time.usedMs;
        if (ply % 7 == 3) {
            at->comment = "move " + std::to_string(ply + 1) + "\nsecond line";
        }
        if (ply % 5 == 1) {
            at->evaluated = true;
            at->evaluation.centipawns = ply * 10 - 200;
            at->evaluation.line = "no line";
        }
    }
    if (!game.outcome().over() && end != LineEnd::None) {
        record.addEnd(*at, end, GameRecord::Placement::MainLine);
    }
    return record;
}

// KIF and KI2 name the start in a header line too; CSA gives it as PI.
std::vector<RecordHeader> withoutStart(std::vector<RecordHeader> headers) {
    headers.erase(std::remove_if(headers.begin(), headers.end(),
                                 [](const RecordHeader& h) { return h.key == "手合割"; }),
                  headers.end());
    return headers;
}

RecordReading writtenAndRead(const GameRecord& record, const char* path) {
    const RecordWriting writing = writeRecordAs(record, *recordFileTypeOf(path));
    EXPECT_TRUE(writing.ok()) << writing.error;
    RecordFormat format = RecordFormat::Kif;
    RecordReading reading = readAnyRecord(writing.bytes, &format);
    EXPECT_EQ(format, recordFileTypeOf(path)->format);
    EXPECT_TRUE(reading.ok()) << path << " " << reading.errorLine << ": " << reading.error;
    return reading;
}

std::vector<const RecordNode*> mainLine(const GameRecord& record) {
    return GameRecord::path(record.mainLineEnd());
}

// KIF to CSA and back keeps the main line: start, moves, whole seconds, comments, the
// evaluations and the ending; KI2 keeps all but the times and evaluations, variations too.
TEST(RecordFormats, KifThroughCsaAndKi2KeepsWhatEachFormatHolds) {
    const LineEnd ends[] = {LineEnd::Resignation, LineEnd::TimeUp,      LineEnd::FoulLoss,
                            LineEnd::FoulWin,     LineEnd::Interrupted, LineEnd::None};
    for (unsigned seed = 1; seed <= 18; ++seed) {
        SCOPED_TRACE(seed);
        const GameRecord original = randomRecord(seed, ends[seed % 6]);
        const RecordReading kif = writtenAndRead(original, "x.kifu");
        ASSERT_TRUE(kif.ok());
        const RecordReading csa = writtenAndRead(kif.record, "x.csa");
        const RecordReading ki2 = writtenAndRead(kif.record, "x.ki2");
        ASSERT_TRUE(csa.ok() && ki2.ok());
        const RecordReading back = writtenAndRead(csa.record, "x.kif");
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.record.start, original.start);
        EXPECT_EQ(ki2.record.start, original.start);
        const auto expected = mainLine(original);
        const auto viaCsa = mainLine(back.record);
        const auto viaKi2 = mainLine(ki2.record);
        ASSERT_EQ(viaCsa.size(), expected.size());
        ASSERT_EQ(viaKi2.size(), expected.size());
        for (std::size_t index = 0; index < expected.size(); ++index) {
            const RecordNode& want = *expected[index];
            EXPECT_EQ(viaCsa[index]->move, want.move) << index;
            EXPECT_EQ(viaCsa[index]->end, want.end) << index;
            EXPECT_EQ(viaCsa[index]->comment, want.comment) << index;
            EXPECT_EQ(viaCsa[index]->time.usedMs, want.time.usedMs) << index;
            EXPECT_EQ(viaKi2[index]->move, want.move) << index;
            EXPECT_EQ(viaKi2[index]->end, want.end) << index;
            EXPECT_EQ(viaKi2[index]->comment, want.comment) << index;
        }
        // KIF keeps no evaluations; CSA written from the tree itself does.
        const RecordReading direct = writtenAndRead(original, "x.csa");
        ASSERT_EQ(mainLine(direct.record).size(), expected.size());
        for (std::size_t index = 0; index < expected.size(); ++index) {
            const RecordNode* read = mainLine(direct.record)[index];
            EXPECT_EQ(read->evaluated, expected[index]->evaluated) << index;
            EXPECT_EQ(read->evaluation.centipawns, expected[index]->evaluation.centipawns);
        }
        EXPECT_EQ(back.record.root().comment, original.root().comment);
        EXPECT_EQ(ki2.record.variationCount(), original.variationCount());
        EXPECT_EQ(csa.record.variationCount(), 0u);
        EXPECT_EQ(csa.record.headers, withoutStart(ki2.record.headers));
        EXPECT_EQ(csa.record.headers, original.headers);
    }
}

// A record analysed elsewhere keeps its verdicts in comments; whichever format carries it,
// opening it shows them again without another analysis.
TEST(RecordFormats, EvaluationCommentsAreReadInEveryFormat) {
    GameRecord record = randomRecord(3, LineEnd::None);
    RecordNode& last = record.mainLineEnd();
    ASSERT_FALSE(last.isRoot());
    last.evaluated = false;
    last.comment = "#評価値=-350";
    for (const char* path : {"x.kif", "x.ki2", "x.csa"}) {
        SCOPED_TRACE(path);
        const RecordReading reading = writtenAndRead(record, path);
        ASSERT_TRUE(reading.ok());
        const RecordNode& read = reading.record.mainLineEnd();
        EXPECT_TRUE(read.evaluated);
        EXPECT_EQ(read.evaluation.centipawns, -350);
    }
}

TEST(RecordFormats, EachFormatSaysWhatItLeavesOut) {
    GameRecord record = randomRecord(4, LineEnd::Resignation);
    ASSERT_GT(record.variationCount(), 0u);
    const RecordWriting csa = writeRecordAs(record, *recordFileTypeOf("x.CSA"));
    ASSERT_TRUE(csa.ok());
    ASSERT_EQ(csa.warnings.size(), 1u);
    EXPECT_NE(csa.warnings[0].find("main line only"), std::string::npos);
    const RecordWriting ki2 = writeRecordAs(record, *recordFileTypeOf("x.ki2u"));
    ASSERT_EQ(ki2.warnings.size(), 2u);
    EXPECT_EQ(ki2.warnings[0].rfind("KI2 keeps no times", 0), 0u) << ki2.warnings[0];
    EXPECT_EQ(ki2.warnings[1].rfind("KI2 keeps no evaluations", 0), 0u) << ki2.warnings[1];
    const RecordWriting kif = writeRecordAs(record, *recordFileTypeOf("x.kifu"));
    ASSERT_EQ(kif.warnings.size(), 1u);
    EXPECT_EQ(kif.warnings[0].rfind("KIF keeps no evaluations", 0), 0u) << kif.warnings[0];
}

// Each special move comes back as itself, and the two fouls name the side that committed them.
TEST(RecordFormats, EveryCsaEndingIsALineEndAndWritesBack) {
    const char* const words[] = {"TORYO",   "CHUDAN", "SENNICHITE", "TIME_UP",   "ILLEGAL_MOVE",
                                 "JISHOGI", "KACHI",  "HIKIWAKE",   "MAX_MOVES", "TSUMI",
                                 "FUZUMI",  "ERROR",  "MATTA"};
    for (const char* word : words) {
        const LineEnd end = csaLineEnd(word, 0);
        EXPECT_NE(end, LineEnd::None) << word;
        EXPECT_EQ(csaEndWord(end, 0), word);
        EXPECT_EQ(csaEndWord(end, 1), word);
    }
    EXPECT_EQ(csaLineEnd("+ILLEGAL_ACTION", 0), LineEnd::FoulLoss);
    EXPECT_EQ(csaLineEnd("+ILLEGAL_ACTION", 1), LineEnd::FoulWin);
    EXPECT_EQ(csaLineEnd("-ILLEGAL_ACTION", 0), LineEnd::FoulWin);
    EXPECT_EQ(csaEndWord(LineEnd::FoulWin, 0), "-ILLEGAL_ACTION");
    EXPECT_EQ(csaEndWord(LineEnd::FoulWin, 1), "+ILLEGAL_ACTION");
    EXPECT_EQ(csaLineEnd("RESIGN", 0), LineEnd::None);
    // KIF writes the endings only CSA had, and reads them back.
    GameRecord record;
    record.rules = RuleSet::Standard;
    record.addEnd(record.root(), LineEnd::MaxMoves, GameRecord::Placement::MainLine);
    const RecordReading kif = readKifRecord(writeKifRecord(record));
    ASSERT_TRUE(kif.ok()) << kif.error;
    EXPECT_EQ(kif.record.mainLineEnd().end, LineEnd::MaxMoves);
}

RecordReading csa(const std::string& text) {
    return readAnyRecord(text);
}

TEST(RecordFormats, CsaStatementsShareLinesAndTimesHaveFractions) {
    const RecordReading reading =
        csa("'CSA encoding=UTF-8\nV3.0\nN+a,b\nPI,+\n+7776FU,T1.250,'* first\n"
            "-3334FU,T0.5\n%CHUDAN,T3\n");
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    const auto line = mainLine(reading.record);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_EQ(line[0]->time.usedMs, 1250);
    EXPECT_EQ(line[0]->comment, " first");
    EXPECT_EQ(line[1]->time.usedMs, 500);
    EXPECT_EQ(line[2]->end, LineEnd::Interrupted);
    EXPECT_EQ(line[2]->time.totalMs, 4250);
    EXPECT_EQ(reading.record.headers[0], (RecordHeader{"先手", "a,b"}));
    EXPECT_TRUE(reading.record.root().comment.empty());
}

TEST(RecordFormats, OnlyTheFirstGameOfSeveralOpensAndTheRestAreCounted) {
    const RecordReading reading = csa("PI\n+\n+7776FU\n/\nPI\n+\n+2726FU\n/\n\n/\nPI\n-\n");
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_EQ(mainLine(reading.record).size(), 1u);
    ASSERT_EQ(reading.warnings.size(), 1u);
    EXPECT_EQ(reading.warnings[0],
              "4: the file holds 2 more games after this one; only the first is opened");
}

TEST(RecordFormats, CsaMovesAreJudgedByTheRulesAndRefusedWithTheirLine) {
    const RecordReading illegal = csa("PI\n+\n+7776FU\n-3334FU\n+8822UM\n-2231GI\n");
    EXPECT_EQ(illegal.errorLine, 6);
    EXPECT_NE(illegal.error.find("move 4"), std::string::npos) << illegal.error;
    const RecordReading after = csa("PI\n+\n%TORYO\n+7776FU\n");
    EXPECT_EQ(after.errorLine, 4);
    const RecordReading position = csa("PI\n+\n+7776FU\nP1 *  * \n");
    EXPECT_EQ(position.errorLine, 4);
    EXPECT_EQ(csa("V2.2\nN+x\n").error, "not a CSA record: it gives no start position");
}

TEST(RecordFormats, ContentNotTheNameTellsTheFormat) {
    EXPECT_EQ(detectRecordFormat("'a comment\n'another\nV2.2\n"), RecordFormat::Csa);
    EXPECT_EQ(detectRecordFormat("'only comments\n"), RecordFormat::Csa);
    EXPECT_EQ(detectRecordFormat("先手：a\n*note\n▲７六歩\n"), RecordFormat::Ki2);
    EXPECT_EQ(detectRecordFormat("先手：a\n手合割：平手\n   1 ７六歩(77)\n"), RecordFormat::Kif);
    EXPECT_EQ(detectRecordFormat("#KIF\n+---------------------------+\n"), RecordFormat::Kif);
    EXPECT_EQ(detectRecordFormat("\xEF\xBB\xBFPI\n+\n"), RecordFormat::Csa);
}

// A character Shift_JIS lacks is refused with where it is, never written as a substitute.
TEST(RecordFormats, ShiftJisRefusesWhatItCannotHoldAndUtf8KeepsIt) {
    GameRecord record = randomRecord(2, LineEnd::Resignation);
    setRecordHeader(record, "先手", "\xF0\xA0\xAE\xB7野");  // 𠮷野: outside code page 932
    for (const char* path : {"x.kif", "x.ki2", "x.csa"}) {
        const RecordWriting writing = writeRecordAs(record, *recordFileTypeOf(path));
        EXPECT_FALSE(writing.ok()) << path;
        EXPECT_NE(writing.error.find("U+20BB7"), std::string::npos) << writing.error;
        EXPECT_TRUE(writing.bytes.empty());
    }
    const RecordWriting utf8 = writeRecordAs(record, *recordFileTypeOf("x.kifu"));
    ASSERT_TRUE(utf8.ok());
    const RecordReading back = readAnyRecord(utf8.bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(withoutStart(back.record.headers), record.headers);
    // Shift_JIS is written as such and names itself so.
    setRecordHeader(record, "先手", "羽生");
    const RecordWriting sjis = writeRecordAs(record, *recordFileTypeOf("x.kif"));
    ASSERT_TRUE(sjis.ok()) << sjis.error;
    EXPECT_NE(sjis.bytes.find("encoding=Shift_JIS"), std::string::npos);
    EXPECT_NE(sjis.bytes.find("\x89\x48\x90\xB6"), std::string::npos);  // 羽生
    EXPECT_EQ(withoutStart(readAnyRecord(sjis.bytes).record.headers), record.headers);
}

TEST(RecordFormats, SimpleRulesGamesStayKif) {
    GameRecord record;
    record.rules = RuleSet::Simple;
    EXPECT_FALSE(writeRecordAs(record, *recordFileTypeOf("x.csa")).ok());
    EXPECT_FALSE(writeRecordAs(record, *recordFileTypeOf("x.ki2u")).ok());
    EXPECT_TRUE(writeRecordAs(record, *recordFileTypeOf("x.kif")).ok());
}

// What the KI2 fuzzer found: a header that holds the move table's characters, a comment
// ending in an empty line, and a KIF move line before the KI2 moves.
TEST(RecordFormats, Ki2KeepsOddHeadersAndCommentsAndRefusesKifMovesInItsHeader) {
    const RecordReading odd = readAnyRecord("▲７六歩\n*one\n*\nメモ：手数----は見出し\n");
    ASSERT_TRUE(odd.ok()) << odd.error;
    EXPECT_EQ(odd.record.root().mainChild()->comment, "one\n");
    for (const char* path : {"x.ki2u", "x.csa"}) {
        const RecordReading back = writtenAndRead(odd.record, path);
        ASSERT_TRUE(back.ok()) << path;
        EXPECT_EQ(back.record.root().mainChild()->comment, "one\n") << path;
        EXPECT_EQ(withoutStart(back.record.headers), odd.record.headers) << path;
    }
    const RecordReading twice = readKi2Record("手合割：平手\n1 詰み\n▲７六歩\n");
    EXPECT_EQ(twice.errorLine, 2);
    EXPECT_EQ(twice.error, "a numbered KIF move line before the moves of a KI2 record");
}

class ConvertFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("ixo-convert-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string path(const char* name) const { return (folder_ / name).string(); }
    void write(const char* name, const std::string& text) const {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    std::string read(const char* name) const {
        std::ifstream stream(folder_ / name, std::ios::binary);
        std::stringstream bytes;
        bytes << stream.rdbuf();
        return bytes.str();
    }
    fs::path folder_;
};

TEST_F(ConvertFiles, ARecordConvertsByTheOutputsExtensionAndSaysWhatWasLeftOut) {
    write("in.kif", writeKifRecord(randomRecord(4, LineEnd::Resignation)));
    std::string message;
    EXPECT_EQ(convertRecordFiles(path("in.kif"), path("out.csa"), message), 0) << message;
    EXPECT_EQ(message, path("out.csa") + ": CSA keeps the main line only: 1 variation is left out");
    EXPECT_EQ(read("out.csa").substr(0, 25), "'encoding=Shift_JIS\nV2.2\n");
    EXPECT_EQ(convertRecordFiles(path("out.csa"), path("back.ki2u"), message), 0) << message;
    EXPECT_EQ(detectRecordFormat(read("back.ki2u")), RecordFormat::Ki2);
}

TEST_F(ConvertFiles, AFailureWritesNothingAndNamesTheFileAndLine) {
    write("bad.csa", "PI\n+\n+7776FU\n+3334FU\n");
    write("kept.kifu", "what was there");
    std::string message;
    EXPECT_EQ(convertRecordFiles(path("bad.csa"), path("new.kifu"), message), 1);
    EXPECT_EQ(message.substr(0, path("bad.csa").size() + 3), path("bad.csa") + ":4:");
    EXPECT_FALSE(fs::exists(folder_ / "new.kifu"));
    EXPECT_EQ(convertRecordFiles(path("bad.csa"), path("kept.kifu"), message), 1);
    EXPECT_EQ(read("kept.kifu"), "what was there");
    EXPECT_EQ(convertRecordFiles(path("missing.kif"), path("x.kifu"), message), 1);
    EXPECT_EQ(message.rfind(path("missing.kif") + ": ", 0), 0u) << message;
    EXPECT_EQ(convertRecordFiles(path("bad.csa"), path("x.txt"), message), 2);
    // A record Shift_JIS cannot hold leaves the .kif it would have replaced as it was.
    GameRecord record = randomRecord(2, LineEnd::None);
    setRecordHeader(record, "先手", "\xE2\x99\x94");  // ♔
    write("wide.kifu", writeKifRecord(record));
    EXPECT_EQ(convertRecordFiles(path("wide.kifu"), path("kept.kif"), message), 1);
    EXPECT_FALSE(fs::exists(folder_ / "kept.kif"));
    EXPECT_NE(message.find("U+2654"), std::string::npos) << message;
}

}  // namespace
}  // namespace ixo
