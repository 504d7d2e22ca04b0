#pragma once

#include <string>
#include <vector>

#include "record/game_tree.h"
#include "shogi/move.h"
#include "shogi/position.h"

namespace ixo {

// One move as KI2 writes it, mark included: "▲７六歩", "△同　銀", "▲５八金右", "△７八銀打".
// `before` is the position the move was made on, `previous` the move before it (null at the
// start). The words that say which piece moved are the fewest that name it among the pieces
// of its kind that could go there, tried as published games choose them: the way it moves
// alone, then where it stands alone (直 before 右 and 左; never 直 for a dragon or a horse),
// then both.
std::string ki2MoveText(const Position& before, const Move& move, const Move* previous);

// Writes a standard game as a KI2 record (UTF-8; the caller encodes it): the header as the
// KIF writer gives it (start, handicap or diagram included), the root's comments, then the
// moves six to a line, each padded to the width of the longest, a new line after a move with
// comments; each line's ending as the closing line ("まで77手で先手の勝ち", "まで3手で中断");
// then each variation as "変化：N手", depth first, as the KIF writer orders them.
// KI2 keeps no times and no evaluations. False, with `error`, for a game of the simple rules.
bool writeKi2Record(const GameRecord& record, std::string& text, std::string& error,
                    std::vector<std::string>& warnings);

}  // namespace ixo
