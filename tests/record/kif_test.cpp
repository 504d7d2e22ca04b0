#include <gtest/gtest.h>

#include <random>
#include <string>

#include "record/kif_reader.h"
#include "record/kif_syntax.h"
#include "shogi/notation.h"
#include "shogi/random_game.h"
#include "support/record_lines.h"

namespace ixo {
namespace {

using test::kifPlayedHere;
using test::lineRecord;
using test::mainLineMoves;
using test::mainLineTimes;

// A simple-rules game of `moves` as this game writes it.
std::string simpleKif(const std::vector<Move>& moves, const std::string& startTime,
                      const std::vector<MoveTime>& times = {}) {
    return kifPlayedHere(lineRecord(RuleSet::Simple, moves, Position::start(), times), startTime);
}

// A record of this game's simple rules, as it marks them.
std::string simple(const std::string& text) {
    return std::string(kSimpleRulesMarker) + "\n" + text;
}

// Three lines of header, so the first move of a record built here is on line 4.
std::string record(const std::string& moves) {
    return simple("手合割：平手\n手数----指手---------消費時間--\n" + moves);
}

const std::string kBishopTrade =
    "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２二角成(88)\n   4 同　銀(31)\n";

struct KifCase {
    const char* what;
    std::string text;
    int moves;          // moves read when accepted; -1 when refused
    int errorLine;      // when refused
    const char* cause;  // part of the reason when refused
};

TEST(KifReader, AcceptsTheUsualFormsAndRefusesWhatTheSimpleRulesCannotPlay) {
    std::string tooManyMoves;
    for (int number = 1; number <= kKifMaxMoves + 1; ++number) {
        // Both kings step forward and back, which any number of times is a legal game here.
        static const char* const kShuffle[] = {"５八玉(59)", "５二玉(51)", "５九玉(58)",
                                               "５一玉(52)"};
        tooManyMoves += std::to_string(number) + " " + kShuffle[(number - 1) % 4] + "\n";
    }
    const KifCase cases[] = {
        {"plain moves, 同　 and a promotion", record(kBishopTrade), 4, 0, ""},
        {"CRLF line ends",
         "手合割：平手\r\n手数----指手---------消費時間--\r\n   1 ７六歩(77)\r\n   2 "
         "３四歩(33)\r\n",
         2, 0, ""},
        {"headers in any order, comments of every kind, no move table header",
         "#KIF version=2.0 encoding=UTF-8\n先手：A\n* a comment\n手合割：平手　\n&しおり\n"
         "開始日時：2024/01/01\n後手の持駒：なし\n   1 ７六歩(77)\n*comment on the move\n",
         1, 0, ""},
        {"time columns and the variation mark",
         record("   1 ７六歩(77)   ( 0:01/00:00:01)\n   2 ３四歩(33)   ( 0:10/00:00:10)+\n"), 2, 0,
         ""},
        {"同 without its space", record("1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角成(88)\n4 同銀(31)\n"),
         4, 0, ""},
        {"end word, closing line and a variation after it",
         record(kBishopTrade + "   5 投了\nまで4手で後手の勝ち\n変化：3手\n   3 ７七角(88)\n"), 4,
         0, ""},
        {"closing line alone", record(kBishopTrade + "まで4手で後手の勝ち\n"), 4, 0, ""},
        {"中断", record("   1 ７六歩(77)\n   2 中断\n"), 1, 0, ""},
        {"不成 where the piece does not promote anyway", record("   1 ７六歩不成(77)\n"), 1, 0, ""},
        {"an empty game", record(""), 0, 0, ""},

        {"not KIF at all", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), -1, 1,
         "not a KIF record"},
        {"headers but nothing of a game", "title：something\n", -1, 1, "not a KIF record"},
        {"a handicap", simple("手合割：香落ち\n   1 ５二玉(51)\n"), -1, 2, "even game"},
        {"a board diagram", simple("後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n"), -1, 3,
         "set-up"},
        {"pieces in hand", simple("先手の持駒：歩二\n"), -1, 2, "set-up"},
        {"a drop", record("   1 ５五歩打\n"), -1, 4, "drops"},
        {"an empty origin", record("   1 ７六歩(76)\n"), -1, 4, "no piece"},
        {"the other side's piece", record("   1 ３四歩(33)\n"), -1, 4, "other side"},
        {"the wrong piece named", record("   1 ７六銀(77)\n"), -1, 4, "piece named"},
        {"a square the piece cannot reach", record("   1 ７五歩(77)\n"), -1, 4, "cannot move"},
        {"不成 where promotion is forced",
         record("   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２二角不成(88)\n"), -1, 6, "不成"},
        {"a missing 成", record("   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２二角(88)\n"), -1, 6,
         "no 成"},
        {"成 where nothing promotes", record("   1 ７六歩成(77)\n"), -1, 4, "does not promote"},
        {"同 as the first move", record("   1 同　歩(77)\n"), -1, 4, "no move before"},
        {"a move number out of order", record("   1 ７六歩(77)\n   3 ３四歩(33)\n"), -1, 5,
         "out of order"},
        {"an unknown piece", record("   1 ７六象(77)\n"), -1, 4, "unknown piece"},
        {"no origin", record("   1 ７六歩\n"), -1, 4, "origin"},
        {"words after the move", record("   1 ７六歩(77) 強気\n"), -1, 4, "after the move"},
        {"a line too long", record("*" + std::string(9000, 'x') + "\n"), -1, 4, "too long"},
        {"over 10,000 moves", record(tooManyMoves), -1, kKifMaxMoves + 4, "10000"},
        {"text over the limit", std::string(kKifMaxTextBytes + 1, '#'), -1, 0, "too long"},
    };
    for (const KifCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordReading reading = readKifRecord(c.text);
        if (c.moves >= 0) {
            EXPECT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
            EXPECT_EQ(static_cast<int>(mainLineMoves(reading.record).size()), c.moves);
        } else {
            EXPECT_FALSE(reading.ok());
            EXPECT_EQ(reading.errorLine, c.errorLine) << reading.error;
            EXPECT_NE(reading.error.find(c.cause), std::string::npos) << reading.error;
        }
    }
}

TEST(KifReader, ReadsTheMovesItNames) {
    const RecordReading reading = readKifRecord(record(kBishopTrade));
    ASSERT_TRUE(reading.ok()) << reading.error;
    const std::vector<Move> moves = mainLineMoves(reading.record);
    ASSERT_EQ(moves.size(), 4u);
    // ２二角成(88): Blue's bishop from column 1, row 7 takes Red's bishop and promotes.
    EXPECT_EQ(moves[2], (Move{1, 7, 7, 1, Bishop, 0, Bishop, 1, true}));
    // 同　銀(31): Red's silver takes it back on the same square.
    EXPECT_EQ(moves[3], (Move{6, 0, 7, 1, Silver, 1, PromotedBishop, 0, false}));
}

TEST(KifWriter, NamesEveryPieceAsKifWritersDo) {
    const char* const names[] = {"",     "歩", "と",   "角", "馬",   "飛", "龍", "香",
                                 "成香", "桂", "成桂", "銀", "成銀", "金", "玉"};
    for (int piece = Pawn; piece <= King; ++piece) {
        const Move move{2, 6, 2, 5, static_cast<std::int8_t>(piece), 1, Empty, 0, false};
        EXPECT_EQ(kifMoveText(move, nullptr), std::string("７六") + names[piece] + "(77)");
    }
    const Move bishop{1, 7, 7, 1, Bishop, 0, Bishop, 1, true};
    const Move silver{6, 0, 7, 1, Silver, 1, PromotedBishop, 0, false};
    EXPECT_EQ(kifMoveText(bishop, nullptr), "２二角成(88)");
    EXPECT_EQ(kifMoveText(silver, &bishop), "同　銀(31)");
    EXPECT_EQ(kifMoveText(bishop, &silver), "同　角成(88)");

    const std::string text = simpleKif({bishop}, "2026/01/02 03:04:05");
    EXPECT_NE(text.find("開始日時：2026/01/02 03:04:05\n"), std::string::npos);
    EXPECT_NE(text.find("\n手合割：平手\n先手：Blue\n後手：Red\n手数----指手---------消費時間--\n"
                        "   1 ２二角成(88) ( 0:00/00:00:00)\n"),
              std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

MoveTime took(std::int64_t usedMs) {
    MoveTime time;
    time.usedMs = usedMs;
    return time;
}

// Each move's whole seconds and its mover's running sum of them, minutes past 59 and hours
// past 99 written out as they come, and read back as written.
TEST(KifTimes, EachMoveAndItsMoversTotalAreWrittenAsRealRecordsHaveThemAndReadBack) {
    const std::vector<Move> moves = mainLineMoves(readKifRecord(record(kBishopTrade)).record);
    ASSERT_EQ(moves.size(), 4u);
    const std::vector<MoveTime> times = {took(5900), took((75 * 60 + 3) * 1000), took(1000),
                                         took(100LL * 3600 * 1000)};
    const std::string text = simpleKif(moves, "2026/01/02 03:04:05", times);
    EXPECT_NE(text.find("   1 ７六歩(77)   ( 0:05/00:00:05)\n"
                        "   2 ３四歩(33)   (75:03/01:15:03)\n"
                        "   3 ２二角成(88) ( 0:01/00:00:06)\n"
                        "   4 同　銀(31)   (6000:00/101:15:03)\n"),
              std::string::npos)
        << text;
    const RecordReading reading = readKifRecord(text);
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    const std::int64_t used[] = {5000, 4503000, 1000, 360000000};
    const std::int64_t totals[] = {5000, 4503000, 6000, 364503000};
    const std::vector<MoveTime> read = mainLineTimes(reading.record);
    ASSERT_EQ(read.size(), 4u);
    for (int ply = 0; ply < 4; ++ply) {
        EXPECT_EQ(read[ply].usedMs, used[ply]) << "ply " << ply + 1;
        EXPECT_EQ(read[ply].totalMs, totals[ply]) << "ply " << ply + 1;
    }
    // A game taken back to its third move writes that move's totals, not the fourth's.
    const std::vector<Move> three(moves.begin(), moves.begin() + 3);
    const std::string shorter = simpleKif(three, "", times);
    EXPECT_NE(shorter.find("( 0:01/00:00:06)\n"), std::string::npos) << shorter;
    EXPECT_EQ(shorter.find("   4 "), std::string::npos) << shorter;
}

// Time columns as other programs pad them, and ones nobody can read: those cost the move
// nothing, and the record still opens, since it did before times were read.
TEST(KifTimes, EveryWritersPaddingIsReadAndAnUnreadableColumnCostsNothing) {
    struct {
        const char* column;
        std::int64_t usedMs, totalMs;
    } const cases[] = {
        {"   ( 0:05/00:00:05)", 5000, 5000},
        {"    (00:01 / 00:00:01)", 1000, 1000},
        {"   (0:1/0:0:1)", 1000, 1000},
        {"( 1:05/00:01:05)", 65000, 65000},
        {"   ( 0:02/00:00:02) ( 0:09/00:00:09)", 2000, 2000},
        {"   ( 0:03/00:00:03)+", 3000, 3000},
        {"", 0, 0},
        {"   ( 0:75/00:01:15)", 0, 75000},
        {"   ( 0:05/01:60:00)", 5000, 5000},
        {"   ( 0:05)", 5000, 5000},
        {"   (abc)", 0, 0},
        {"   (-1:00/00:00:00)", 0, 0},
        {"   (999999999999:00/00:00:00)", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        const RecordReading reading =
            readKifRecord(record(std::string("   1 ７六歩(77)") + c.column + "\n"));
        ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
        const std::vector<MoveTime> times = mainLineTimes(reading.record);
        ASSERT_EQ(times.size(), 1u);
        EXPECT_EQ(times[0].usedMs, c.usedMs);
        EXPECT_EQ(times[0].totalMs, c.totalMs);
    }
    // Without a total of its own, a move's total is its mover's running sum.
    const std::vector<MoveTime> times = mainLineTimes(
        readKifRecord(record("   1 ７六歩(77) ( 0:05/00:00:05)\n   2 ３四歩(33) ( 0:07/00:00:07)\n"
                             "   3 ２二角成(88) ( 0:03)\n"))
            .record);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[2].totalMs, 8000);
}

// A long random game, kings taken and all, written after every move: the record must always
// read back to exactly the moves played, and so to the position on the board.
TEST(KifRoundTrip, EveryPrefixOfARandomGameReadsBackToTheSameMoves) {
    std::mt19937 random(20261207);
    const std::vector<Move> game = randomGame(random, 400);
    ASSERT_EQ(game.size(), 400u);
    std::vector<Move> played;
    for (const Move& move : game) {
        played.push_back(move);
        const RecordReading reading = readKifRecord(simpleKif(played, "2026/12/07 10:00:00"));
        ASSERT_TRUE(reading.ok()) << "after move " << played.size() << ", line "
                                  << reading.errorLine << ": " << reading.error;
        ASSERT_EQ(mainLineMoves(reading.record), played) << "after move " << played.size();
    }

    // The same record with every name in its other common spelling reads the same.
    std::string text = simpleKif(game, "2026/12/07 10:00:00");
    const std::pair<std::string, std::string> variants[] = {
        {"成香", "杏"}, {"成桂", "圭"}, {"成銀", "全"}, {"龍", "竜"}, {"玉", "王"}};
    for (const auto& [written, variant] : variants) {
        ASSERT_NE(text.find(written), std::string::npos) << written << " never moves";
        for (std::size_t at = text.find(written); at != std::string::npos;
             at = text.find(written, at)) {
            text.replace(at, written.size(), variant);
        }
    }
    const RecordReading reading = readKifRecord(text);
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    EXPECT_EQ(mainLineMoves(reading.record), game);
}

}  // namespace
}  // namespace ixo
