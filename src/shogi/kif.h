#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "clock/game_clock.h"
#include "shogi/move.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// Game records in KIF, the plain-text notation that Japanese shogi software exchanges.
// Everything here works on strings in memory: reading files and decoding their bytes is the
// caller's business (record/text_encoding.h), so the tests and the fuzzer call it directly.

// The longest text and the most moves the reader accepts. A record file of 1 MiB in
// Shift_JIS can grow to three times its size in UTF-8, so the text limit allows for that.
constexpr std::size_t kKifMaxTextBytes = 3u << 20;
constexpr int kKifMaxMoves = 10000;

// The comment lines that say which rules a record of this game was played under. Other
// readers skip any line that starts with '#', so the marker costs them nothing.
constexpr const char* kSimpleRulesMarker = "#ixo-shogi rules=simple";
constexpr const char* kStandardRulesMarker = "#ixo-shogi rules=standard";

// One header line, "先手：羽生善治" as key 先手 and value 羽生善治.
struct KifHeader {
    std::string key;
    std::string value;

    friend bool operator==(const KifHeader& a, const KifHeader& b) {
        return a.key == b.key && a.value == b.value;
    }
};

// One move as KIF writes it: destination (full-width file digit, kanji rank) or "同　" when
// it lands where `previous` landed, the piece's name as it stood, "成" when it promoted, and
// then the origin as two ASCII digits in parentheses, or "打" for a drop: "７六歩(77)",
// "同　角成(88)", "５五角打". A promotion declined is written as a plain move, as the KIF
// format has it: readers that follow it (tsshogi among them) take "不成" for the end of the
// game, though this reader accepts it.
std::string kifMoveText(const Move& move, const Move* previous);

// Who played each side, for 先手 and 後手 (下手 and 上手 where an opened handicap record
// named them so). An empty name leaves that side's line as it was: the opened record's own,
// or else Blue or Red.
struct KifPlayers {
    std::string blue;
    std::string red;
};

// The time column of every move: `times[i]` is what ply i+1 cost, and a move without an
// entry cost nothing. Each move is written in whole seconds, "( 1:05/00:12:40)", minutes
// past 59 and hours past 99 as they come, and the total beside it is the running sum of the
// mover's whole seconds written so far: every real record keeps its totals so, and readers
// such as tsshogi recompute them so, whatever the clock's milliseconds added up to. With no
// times at all every column reads zero, as records did before the game kept time.

// A whole record of a simple-rules game from the start position, Blue moving first, with LF
// line ends. `startTime` is "YYYY/MM/DD HH:MM:SS" in local time.
std::string writeKif(const std::vector<Move>& moves, const std::string& startTime,
                     const std::vector<MoveTime>& times = {}, const KifPlayers& players = {});

// A whole record of a standard game: its start (手合割 for the even game and the usual
// handicaps, a board diagram for any other position), the moves played, and its ending with
// the closing line. `kept` are header lines of the record the game was opened from, written
// again in their order; the start, the rules and the moves are always this game's own, and a
// player named in `players` takes the place of that side's kept line.
std::string writeStandardKif(const StandardGame& game, const std::string& startTime,
                             const std::vector<KifHeader>& kept = {},
                             const std::vector<MoveTime>& times = {},
                             const KifPlayers& players = {});

// The start position of a handicap named by 手合割 (平手 for the even game); false for a
// name that is not one of the usual handicaps.
bool handicapPosition(const std::string& name, Position& position);

// What the reader made of a text: the rules the record was played under and every move
// replayed through them, or the first fault. `errorLine` is 1-based; it is 0 only when the
// fault is the text as a whole (too long). `error` speaks to a player ("move 10 ７七角(22):
// a bishop cannot move like that"). Moves before a fault are kept, but a caller should not
// use them.
struct KifReading {
    RuleSet rules = RuleSet::Simple;
    std::vector<Move> moves;  // the moves played, under either rule set
    // What each of `moves` cost, by its time column: the move's own time and the total the
    // record gives beside it (or, where that is missing or unreadable, the mover's running
    // sum). A move whose column is missing or unreadable cost nothing.
    std::vector<MoveTime> times;
    // Under the standard rules: the game as the record leaves it, its start position, moves
    // and ending (a resignation read from the record included).
    StandardGame standard;
    std::vector<KifHeader> headers;  // every header line with a value, in the record's order
    int errorLine = 0;
    std::string error;

    bool ok() const { return error.empty(); }
};

// Reads KIF text (UTF-8). Accepts LF or CRLF, header lines in any order, comment lines, time
// columns, "同" with or without its full-width space, the end lines and the common variants
// of the piece names, and reads the main line only. A record this game wrote under the simple
// rules (marked so, or written before the marker existed: 先手 Blue, 後手 Red, no drops) is
// read under them, as it was played; every other record under the standard rules, from the
// even start, a handicap or a board diagram. Refuses moves the rules do not allow, over
// kKifMaxMoves moves and text over kKifMaxTextBytes. Safe on any bytes at all.
KifReading readKif(const std::string& utf8Text);

}  // namespace ixo
