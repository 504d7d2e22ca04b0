#pragma once

#include <string>
#include <vector>

#include "record/game_tree.h"
#include "shogi/move.h"
#include "shogi/position.h"

namespace ixo {

// A record's positions as an engine is told them, and what the engine says back as moves of
// the record, judged by our rules under the record's rule set before anything keeps them.

// "▲７六歩(77)": a move as a record writes it, with its mover's mark (▲ Blue, △ Red).
std::string markedMoveText(const Move& move, const Move* previous);

// The engine's text of a move: USI ("7g7f", "P*5e"), or under the simple rules the variant's
// board moves with '+' where the piece promoted.
std::string engineMoveText(RuleSet rules, const Move& move);

// Plays the engine's `text` on `position` for the side to move when our rules allow it.
// Under the simple rules the '+' must stand exactly where the rules force the promotion.
// On false nothing has changed.
bool playEngineMove(RuleSet rules, Position& position, const std::string& text, Move& made);

// The engine's line from `position` in the record's notation, "▲７六歩(77)△同　歩(73)", as far
// as our rules allow it: a line that goes wrong is cut before the move that does, and
// `refusedAt` (when given) gets that move's index, or -1 when the whole line was played.
// The first move always names its square: a line is read from its position alone (tsshogi's
// and ShogiHome's readers know no move before it), where 同 would mean nothing.
std::string lineText(RuleSet rules, Position position, const std::vector<std::string>& line,
                     int* refusedAt = nullptr);

// The start ("startpos" or an SFEN) and the moves from it to `node`, as `position` wants
// them. False, with `error`, for a set-up start an engine would abort on.
bool engineStartOf(const GameRecord& record, const RecordNode& node, std::string& sfen,
                   std::vector<std::string>& moves, std::string& error);

// Whether the side to move has lost already: no legal move under the standard rules, its
// king taken under the simple ones. Such a position is not asked of an engine.
bool sideToMoveHasLost(RuleSet rules, const Position& position);

}  // namespace ixo
