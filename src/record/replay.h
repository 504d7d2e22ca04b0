#pragma once

#include <string>
#include <string_view>

#include "record/game_tree.h"
#include "shogi/notation.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// A record's moves through the rules, for every format: a reader names a move as its notation
// writes it, and the replay judges it on the position as a click would be judged, under the
// record's rule set. The simple rules keep their own movement (playMove: captures leave the
// game, promotion is forced); the standard rules judge check, drops and the two-pawn rule.

// Plays `written` on `position` for position.sideToMove. `previous` is the move before it,
// for 同 (null at the start). On false nothing has changed and `why` says why in a player's
// words. A standard main line passes `game`, which judges mate and repetition as it goes and
// refuses a move after the game ended; `position` then follows it.
bool replayWrittenMove(RuleSet rules, Position& position, const WrittenMove& written,
                       const Move* previous, Move& made, std::string& why,
                       StandardGame* game = nullptr);

// `request`, as found on `position` by a notation that names the square a piece leaves (or
// the drop), written the way replayWrittenMove takes it; `text` is kept for its refusals.
WrittenMove writtenMoveOf(const Position& position, const MoveRequest& request,
                          std::string_view text);

// Plays a move the rules already accepted, as the tree holds it, without judging it again:
// the way to a node is walked often and must stay cheap.
void applyRecordedMove(RuleSet rules, Position& position, const Move& move);

// The position after the moves from the root to `node` (endings change nothing).
Position positionAt(const GameRecord& record, const RecordNode& node);

}  // namespace ixo
