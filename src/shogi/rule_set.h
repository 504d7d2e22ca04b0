#pragma once

#include "shogi/move.h"
#include "shogi/move_map.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// Both rule sets behind one door, so that the controller, the game in progress, a record's
// replay and an engine's answer never ask which game is played.
//
// The simple rules are a rule set of the same Position: the hands stay empty (a captured
// piece leaves the game), a piece promotes when it lands in its far zone, and nothing looks
// at check. Their movement is MoveMap::computeDestinations in the mover's frame (Board::
// flipped for Red), exactly as a click has always been judged; the standard rules add drops,
// the choice to promote and the king's safety on top of the same movement table.

// Why `request` is not a move for position.sideToMove under `rules`; Refusal::None when it is.
// Under the simple rules the promotion flag is not the player's to choose, so it is ignored.
Refusal judgeMove(const Position& position, const MoveRequest& request, RuleSet rules);

// Plays a legal request: the side to move passes. On a refusal nothing changes and `why`
// (if given) says why. `made` records the move so takeBackMove can undo it exactly.
bool playMove(Position& position, const MoveRequest& request, RuleSet rules, Move* made = nullptr,
              Refusal* why = nullptr);
// Puts `position` back as it was before `move`, its side to move included.
void takeBackMove(Position& position, const Move& move, RuleSet rules);

// Whether the piece may, must or cannot promote on this move. Under the simple rules a
// promotable piece landing in its far zone must, and nothing else may.
Promotion promotionFor(const Position& position, int fromColumn, int fromRow, int toColumn,
                       int toRow, RuleSet rules);

// The screen squares the piece on (column, row) may go to, for the side that owns it, as
// if that side were to move. Empty for an empty square.
MoveMap legalDestinations(const Position& position, int column, int row, RuleSet rules);

}  // namespace ixo
