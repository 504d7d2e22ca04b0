#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/match.h"
#include "record/kif_reader.h"
#include "record/kif_syntax.h"
#include "shogi/handicaps.h"
#include "shogi/standard_rules.h"
#include "support/record_lines.h"

namespace ixo {
namespace {

using test::kifPlayedHere;
using test::lineRecord;
using test::mainLineMoves;

// A game of `record` as the game opens it: at the end of its main line.
void open(Match& match, const GameRecord& record) {
    std::string error;
    EXPECT_TRUE(match.load(record, error)) << error;
}

std::string usiOf(const std::vector<Move>& moves) {
    std::string text;
    for (const Move& move : moves) {
        text += (text.empty() ? "" : " ") + usiMove(requestOf(move));
    }
    return text;
}

// The first move of a record built here is on line 3.
std::string even(const std::string& moves) {
    return "手合割：平手\n手数----指手---------消費時間--\n" + moves;
}

// Bishops traded without promoting, then a bishop dropped on 5e.
const std::string kTradeAndDrop =
    "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２二角不成(88)\n   4 同　銀(31)\n   5 ５五角打\n";
const char* const kTradeAndDropUsi = "7g7f 3c3d 8h2b 3a2b B*5e";

const char* const kEmptyRow = "| ・ ・ ・ ・ ・ ・ ・ ・ ・|";

// A set-up position: the nine rows from the top (empty unless given), Blue's pieces in hand,
// then the moves, the first of them on line 16.
std::string diagram(std::vector<std::string> rows, const std::string& blueHand,
                    const std::string& moves) {
    static const char* const kRanks[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    std::string text =
        "後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n";
    rows.resize(9, kEmptyRow);
    for (int row = 0; row < 9; ++row) {
        text += (rows[row].empty() ? std::string(kEmptyRow) : rows[row]) + kRanks[row] + "\n";
    }
    return text + "+---------------------------+\n先手の持駒：" + blueHand +
           "\n手数----指手---------消費時間--\n" + moves;
}

// Red's king in the corner behind its knight, Blue's gold below: a pawn dropped on 1b mates.
std::string cornered(const std::string& moves) {
    return diagram({"| ・ ・ ・ ・ ・ ・ ・v桂v玉|", "", "| ・ ・ ・ ・ ・ ・ ・ 金 ・|", "", "",
                    "", "", "", "| ・ ・ ・ ・ ・ ・ ・ ・ 玉|"},
                   "歩二", moves);
}

struct StandardCase {
    const char* what;
    std::string text;
    const char* usi;    // the moves read, or null when refused
    GameEnd end;        // when read
    int winner;         // when read
    int errorLine;      // when refused
    const char* cause;  // part of the reason when refused
};

TEST(StandardKifReader, ReadsWhatOtherProgramsWriteAndRefusesEachRuleInAPlayersWords) {
    const StandardCase cases[] = {
        {"a drop and 不成", even(kTradeAndDrop), kTradeAndDropUsi, GameEnd::None, -1, 0, ""},
        {"a declined promotion written as a plain move",
         even("1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角(88)\n4 同銀(31)\n5 ５五角打\n"),
         kTradeAndDropUsi, GameEnd::None, -1, 0, ""},
        {"the main line only, not its variation, and the resignation that ends it",
         even(kTradeAndDrop + "   6 投了\nまで5手で先手の勝ち\n変化：5手\n   5 ３三角打\n"),
         kTradeAndDropUsi, GameEnd::Resignation, 0, 0, ""},
        {"a foul", even(kTradeAndDrop + "   6 反則勝ち\n"), kTradeAndDropUsi, GameEnd::IllegalMove,
         1, 0, ""},
        {"the giver of a lance moves first, from its diagram too",
         "手合割：香落ち\n" + diagram({"|v香v桂v銀v金v玉v金v銀v桂 ・|", "", "", "", "", "", "", "",
                                       "| ・ ・ ・ ・ 玉 ・ ・ ・ ・|"},
                                      "なし", "   1 ５二玉(51)\n"),
         "5a5b", GameEnd::None, -1, 0, ""},
        {"the giver of a lance moves first", "手合割：香落ち\n   1 ５二玉(51)\n   2 ７六歩(77)\n",
         "5a5b 7g7f", GameEnd::None, -1, 0, ""},

        {"a drop from an empty hand", even("   1 ５五角打\n"), nullptr, GameEnd::None, -1, 3,
         "move 1 ５五角打: Blue has no bishop in hand"},
        {"a bishop moving as a rook", even("   1 ５八角(88)\n"), nullptr, GameEnd::None, -1, 3,
         "move 1 ５八角(88): a bishop cannot move like that"},
        {"a pawn dropped to mate", cornered("   1 １二歩打\n"), nullptr, GameEnd::None, -1, 16,
         "打ち歩詰め"},
        {"the wrong side's piece", even("   1 ３四歩(33)\n"), nullptr, GameEnd::None, -1, 3,
         "is Red's"},
        {"a handicap this game does not know", "手合割：九枚落ち\n   1 ５二玉(51)\n", nullptr,
         GameEnd::None, -1, 2, "九枚落ち"},
        {"a diagram of a position no game reaches",
         diagram({"| ・ ・ ・ ・ 歩 ・ ・ ・v玉|"}, "なし", ""), nullptr, GameEnd::None, -1, 15,
         "cannot be played"},
        {"a diagram row cut short", diagram({"", "| ・ ・ ・ ・ ・ ・ ・ ・|"}, "なし", ""),
         nullptr, GameEnd::None, -1, 5, "row"},
    };
    for (const StandardCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordReading reading = readKifRecord(c.text);
        if (c.usi) {
            ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
            EXPECT_EQ(reading.record.rules, RuleSet::Standard);
            EXPECT_EQ(usiOf(mainLineMoves(reading.record)), c.usi);
            Match game;
            open(game, reading.record);
            EXPECT_EQ(usiOf(game.played()), c.usi);
            EXPECT_EQ(game.outcome().how, c.end);
            EXPECT_EQ(game.outcome().winner, c.winner);
        } else {
            EXPECT_FALSE(reading.ok());
            EXPECT_EQ(reading.errorLine, c.errorLine) << reading.error;
            EXPECT_NE(reading.error.find(c.cause), std::string::npos) << reading.error;
        }
    }
}

TEST(StandardKifReader, OnlyTheGamesOwnSimpleRecordsReadUnderTheSimpleRules) {
    // The bishop trade, promotion forced as the simple rules play it.
    const std::vector<Move> simpleMoves = [] {
        Board board;
        board.reset();
        std::vector<Move> moves;
        const int squares[][4] = {{2, 6, 2, 5}, {6, 2, 6, 3}, {1, 7, 7, 1}, {6, 0, 7, 1}};
        for (int index = 0; index < 4; ++index) {
            Move made;
            EXPECT_TRUE(playMove(board, index % 2, squares[index][0], squares[index][1],
                                 squares[index][2], squares[index][3], &made));
            moves.push_back(made);
        }
        return moves;
    }();
    std::string text =
        kifPlayedHere(lineRecord(RuleSet::Simple, simpleMoves), "2026/01/01 00:00:00");
    EXPECT_EQ(readKifRecord(text).record.rules, RuleSet::Simple);
    // Written before records said their rules: still the game's own simple game.
    text.erase(text.find(kSimpleRulesMarker), std::string(kSimpleRulesMarker).size() + 1);
    const RecordReading old = readKifRecord(text);
    ASSERT_TRUE(old.ok()) << old.error;
    EXPECT_EQ(old.record.rules, RuleSet::Simple);
    EXPECT_EQ(mainLineMoves(old.record), simpleMoves);
    // The same names with a drop are someone else's standard game.
    const RecordReading other =
        readKifRecord(even(kTradeAndDrop).insert(0, "先手：Blue\n後手：Red\n"));
    ASSERT_TRUE(other.ok()) << other.error;
    EXPECT_EQ(other.record.rules, RuleSet::Standard);
}

// A standard game from `start`, played here through the match.
void play(Match& game, const Position& start, const std::vector<const char*>& usi) {
    GameRecord record;
    record.rules = RuleSet::Standard;
    record.start = start;
    open(game, record);
    for (const char* text : usi) {
        MoveRequest request;
        EXPECT_TRUE(parseUsiMove(text, request)) << text;
        const Refusal why = game.play(request);
        EXPECT_EQ(why, Refusal::None) << text << " refused " << int(why);
    }
}

// Its record as the game writes it, the headers of an opened record kept.
std::string written(const Match& game, const std::vector<RecordHeader>& kept = {},
                    const std::string& blue = "", const std::string& red = "",
                    const std::string& startTime = "") {
    GameRecord record = game.record();
    record.headers = kept;
    return kifPlayedHere(record, startTime, blue, red);
}

// A declined promotion is a plain move in KIF; "不成" would end the game for tsshogi.
TEST(StandardKifWriter, WritesDropsDeclinedPromotionsAndTheEndingAndReadsBackTheSameGame) {
    Match game;
    play(game, Position::start(), {"7g7f", "3c3d", "8h2b", "3a2b", "B*5e"});
    game.resign();
    const std::string text = written(game, {}, "", "", "2026/01/02 03:04:05");
    EXPECT_NE(text.find(std::string("\n") + kStandardRulesMarker + "\n"), std::string::npos);
    EXPECT_NE(text.find("   3 ２二角(88)   ( 0:00/00:00:00)\n   4 同　銀(31)"), std::string::npos)
        << text;
    EXPECT_NE(text.find("   5 ５五角打     ( 0:00/00:00:00)\n   6 投了\nまで5手で先手の勝ち\n"),
              std::string::npos)
        << text;
    const RecordReading reading = readKifRecord(text);
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    EXPECT_EQ(reading.record.rules, RuleSet::Standard);
    Match back;
    open(back, reading.record);
    EXPECT_EQ(back.played(), game.played());
    EXPECT_EQ(back.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(back.outcome().winner, 0);

    Match lost;
    play(lost, Position::start(), {"7g7f"});
    lost.loseOnTime(1);
    EXPECT_NE(written(lost).find("   2 切れ負け\nまで1手で時間切れにより先手の勝ち\n"),
              std::string::npos);
}

int linesOf(const std::string& text, const std::string& prefix) {
    int count = 0;
    for (std::size_t at = text.find("\n" + prefix); at != std::string::npos;
         at = text.find("\n" + prefix, at + 1)) {
        ++count;
    }
    return count;
}

// The computer's side is named by its engine; an opened record's line for that side gives
// way to it, so a game continued against the computer never names a side twice.
TEST(StandardKifWriter, TheComputersSideIsNamedByItsEngineOnceAndThePlayersSideAsBefore) {
    Match game;
    play(game, Position::start(), {"7g7f"});
    const std::string engine = "Fairy-Stockfish 11.1 (level 5)";
    const std::string fresh = written(game, {}, "", engine);
    EXPECT_NE(fresh.find("\n先手：Blue\n後手：" + engine + "\n"), std::string::npos) << fresh;

    const std::vector<RecordHeader> kept = {{"先手", "羽生"}, {"棋戦", "練習"}, {"後手", "Red"}};
    const std::string continued = written(game, kept, "", engine);
    EXPECT_NE(continued.find("\n先手：羽生\n棋戦：練習\n後手：" + engine + "\n"), std::string::npos)
        << continued;
    EXPECT_EQ(linesOf(continued, "後手："), 1);
    EXPECT_EQ(linesOf(continued, "先手："), 1);

    // A handicap record names its sides 下手 and 上手, and an engine names itself in any
    // bytes, a line break included.
    const std::string handicap = written(game, {{"下手", "A"}, {"上手", "B"}}, "gpsshogi\nx");
    EXPECT_NE(handicap.find("\n下手：gpsshogi x\n上手：B\n"), std::string::npos) << handicap;
    EXPECT_EQ(linesOf(handicap, "先手："), 0);

    // A kept player's line is the record's own, byte for byte, a NUL in it included.
    const std::string odd("Blue\0\x97", 6);
    EXPECT_NE(written(game, {{"先手", odd}}).find("\n先手：" + odd + "\n"), std::string::npos);
}

TEST(StandardKifWriter, HandicapsAndSetUpPositionsReadBackToTheSameStart) {
    for (const char* name : {"香落ち", "右香落ち", "角落ち", "飛車落ち", "飛香落ち", "二枚落ち",
                             "四枚落ち", "六枚落ち", "八枚落ち", "十枚落ち"}) {
        SCOPED_TRACE(name);
        Position start;
        ASSERT_TRUE(handicapPosition(name, start));
        EXPECT_EQ(start.sideToMove, 1);
        Match game;
        play(game, start, {});
        const std::string text = written(game);
        EXPECT_NE(text.find(std::string("手合割：") + name + "\n"), std::string::npos);
        const RecordReading reading = readKifRecord(text);
        ASSERT_TRUE(reading.ok()) << reading.error;
        EXPECT_EQ(reading.record.start, start);
    }
    Position start;
    std::string error;
    ASSERT_TRUE(parseSfen("4k4/9/9/9/9/9/9/9/4K4 w B10Pb 1", start, error)) << error;
    Match game;
    play(game, start, {"5a5b"});
    const std::string text = written(game);
    EXPECT_NE(text.find("後手の持駒：角\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n先手の持駒：角　歩十\n後手番\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("手合割"), std::string::npos);
    const RecordReading reading = readKifRecord(text);
    ASSERT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    EXPECT_EQ(reading.record.start, start);
    EXPECT_EQ(usiOf(mainLineMoves(reading.record)), "5a5b");
}

}  // namespace
}  // namespace ixo
