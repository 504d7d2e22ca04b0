#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "record/kif_reader.h"
#include "shogi/move.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// KI2 writes a move without its origin, as published games do: "▲７六歩", "△同　銀",
// "▲５八金右上", "△７八銀打". When more than one piece of the kind named could go to the
// square, words after the piece say which: the way it moves (上 forward, 引 back, 寄 sideways)
// and where it stands among the others (右 and 左 from the mover's side of the board, 直 for
// the one that goes straight forward), and 打 for a drop where a piece on the board could go
// too.
struct Ki2Move {
    int mark = -1;  // 0 for ▲ (Blue), 1 for △ (Red), -1 for ▼ or ▽, which name no side
    bool same = false;
    int toColumn = -1, toRow = -1;
    int piece = 0;  // PieceCode as named
    bool right = false, left = false, straight = false;
    bool forward = false, back = false, sideways = false;
    bool drop = false;
    bool promotes = false;
    bool declinesPromotion = false;  // 不成 (or 生)
};

// A square a piece of the kind named stands on, and of those the ones `words` pick when `side`
// moves one of them to (toColumn, toRow): how it moves first, then where it stands among the
// pieces that move so.
struct Ki2Origin {
    int column;
    int row;
};
std::vector<Ki2Origin> ki2Picked(const std::vector<Ki2Origin>& origins, const Ki2Move& words,
                                 int side, int toColumn, int toRow);

// Reads one move from the front of `text` (which starts at its mark), up to the next mark,
// space or end. False, with `why`, when it is not one.
bool takeKi2Move(std::string_view& text, Ki2Move& move, std::string& why);

// The one legal move of `position` that `move` names; `previous` is the move before it (null
// at the start), for 同. False, with `why` in a player's words, when none does or several do.
bool resolveKi2Move(const Position& position, const Ki2Move& move, const Move* previous,
                    MoveRequest& request, std::string& why);

// Reads a KI2 record (UTF-8 text) into a tree under the standard rules: headers, handicaps,
// diagrams and comments as KIF has them (kif_reader.h), moves several to a line, the
// summary line "まで…" as the line's ending, and variations (変化：N手). A move that names
// no legal move, or more than one, refuses the record with its line when it is in the main
// line, and leaves its variation out with a warning otherwise. Safe on any bytes at all.
RecordReading readKi2Record(const std::string& utf8Text);

}  // namespace ixo
