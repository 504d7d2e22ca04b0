#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "record/game_tree.h"
#include "shogi/notation.h"

namespace ixo {

// The lines a KIF record is made of, told apart without any rules: what kind each line is and
// what it says. The reader decides what the lines mean together.

enum class KifLineKind : std::uint8_t {
    Blank,
    Program,       // '#': a note for programs, the rules marker among them
    Comment,       // '*': a comment on the move above it (or on the start, before the moves)
    Bookmark,      // '&': a name for the place of the move above it
    Header,        // "key：value"
    MoveTable,     // "手数----指手---------消費時間--"
    Move,          // "  12 ７六歩(77)   ( 0:05/00:00:05)"
    Special,       // "  79 投了": a line ends, in words
    Sealed,        // "  53 封じ手": the next move was sealed overnight
    Variation,     // "変化：12手"
    Summary,       // "まで78手で先手の勝ち"
    SideToMove,    // 先手番, 後手番, 上手番, 下手番
    DiagramRow,    // "|v香v桂 ・ ・ 玉 ...|一"
    DiagramFrame,  // the diagram's border, its file numbers, "手数＝" above it
    Unknown,
};

struct KifLine {
    KifLineKind kind = KifLineKind::Unknown;
    // A comment's or bookmark's text, a header's value, a side line, a diagram row.
    std::string_view text;
    std::string_view key;  // a header's key
    // The number a move, special or sealed line starts with (-1 when past any record's
    // length); the ply a variation starts at.
    long number = 0;
    WrittenMove move;
    LineEnd end = LineEnd::None;
    // The time column, when the line had one: seconds used and the total beside it, each -1
    // when it cannot be read.
    bool timed = false;
    std::int64_t usedSeconds = -1;
    std::int64_t totalSeconds = -1;
    // What is wrong with a move line, said as the end of "move 12 ７六歩(77): ..."; and
    // `faultWhole` when the fault is the line's, not the move's.
    std::string fault;
    bool faultWhole = false;
};

// The comment lines that say which rules a record of this game was played under. Other
// readers skip any line that starts with '#', so the marker costs them nothing.
constexpr const char* kSimpleRulesMarker = "#ixo-shogi rules=simple";
constexpr const char* kStandardRulesMarker = "#ixo-shogi rules=standard";

// Numbers past this are out of order in any record; the reader's own limit is lower.
constexpr long kKifLargestNumber = 100000;

// `line` without its line end.
KifLine scanKifLine(std::string_view line);

// The word a special line is written with, and the word for a LineEnd (時間切れ reads as
// 切れ負け).
std::string_view lineEndWord(LineEnd end);
// The LineEnd a word names, as a special line writes it; None for any other word.
LineEnd lineEndOfWord(std::string_view word);

// The next line of `text` without its line end ("\n" or "\r\n"), taken off `text`.
std::string_view takeRecordLine(std::string_view& text);

// Text of a record quoted back in a refusal, so the player can find it; anything a terminal
// could take for a command, or too long to help, is a question mark.
std::string shownInRefusal(std::string_view text);

// A bookmark as it is kept and written: one line, any line break inside it a space, so that
// what is read is what is written back (a reader that takes a lone CR for a line end would
// otherwise cut it short).
std::string bookmarkText(std::string_view text);

// The '*' comment lines and '&' bookmark line after a node, as KIF and KI2 both write them.
void appendKifNotes(std::string& text, const RecordNode& node);

// "M:SS" or, with `hours`, "H:MM:SS", whatever the padding; -1 when it is anything else.
std::int64_t kifTimeSeconds(std::string_view text, bool hours);

}  // namespace ixo
