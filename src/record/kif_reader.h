#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/game_tree.h"

namespace ixo {

// The longest text the reader accepts: a record file of 2 MiB in Shift_JIS can grow to three
// times its size in UTF-8.
constexpr std::size_t kKifMaxTextBytes = 6u << 20;
// The most moves a main line may hold, the most variations a record may hold (those beyond it
// are left out with a warning), and the most moves and endings in the whole tree. A study
// record runs to a few hundred variations; the limits keep a crafted file from filling memory.
constexpr int kKifMaxMoves = 10000;
constexpr int kKifMaxVariations = 2000;
constexpr int kKifMaxNodes = 60000;

// What the reader made of a text: the whole record, or the first fault of its main line.
// `errorLine` is 1-based; it is 0 only when the fault is the text as a whole (too long).
// `error` speaks to a player ("move 10 ７七角(22): a bishop cannot move like that").
// `warnings` are what the record holds that was left out or is unusual, each "LINE: what",
// for the caller to print after the file's name.
struct RecordReading {
    GameRecord record;
    int errorLine = 0;
    std::string error;
    std::vector<std::string> warnings;

    bool ok() const { return error.empty(); }
};

// Reads KIF text (UTF-8) into a tree, keeping what it holds: every header line with a value,
// in order; the start (even game, handicap or board diagram); every move with its time;
// comments (those before the first move on the root), bookmarks, sealed moves, the special
// lines that end a line of play, with their times; and every variation (変化：N手), nested ones
// too. Accepts LF or CRLF, "同" with or without its full-width space and the common variants of
// the piece names.
//
// A record this game wrote under the simple rules (marked so, or written before the marker
// existed: 先手 Blue, 後手 Red, no drops) is read under them; every other record under the
// standard rules. A fault in the main line refuses the record; a variation the rules refuse
// is left out with a warning and the rest is read. A set-up position is refused only when no
// game can be played from it. Safe on any bytes at all.
RecordReading readKifRecord(const std::string& utf8Text);

}  // namespace ixo
