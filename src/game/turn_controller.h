#pragma once

#include "game/game_scene.h"

namespace ixo {

// The turn controller, one for both rule sets: GameScene::update turns clicks and keys into
// requests to the match. These are the parts the players beside the mouse share with it.

// After any change of the match's position the selection goes: it was judged on a position
// that is gone, and in the simple rules' mover's frame it would be drawn in the wrong one.
void settle(GameScene& scene);
Move lastPlayed(const Match& match);
// The observers hear of an ending without a move (or of its take-back) only where the rule
// set records such endings: the simple rules' record has none, so their flag fall is no one's
// news.
void tellEnding(GameScene& scene);

// One ply back or forward, its ending included, with the observers told; false when there
// is nothing to take back or replay.
bool takeBackPly(GameScene& scene);
bool replayPly(GameScene& scene);
// Straight to `node` of the match's record (a move list's row, the start, a variation);
// false when it is not one of the record's or a move on the way is refused.
bool jumpTo(GameScene& scene, const RecordNode& node);

// One frame of the mouse for the side to move.
void clickToMove(GameScene& scene);
// One frame of the mouse while the other side thinks: `player` may pick up a piece of their
// own, lit with the squares it could reach were it their turn, but nothing moves until it is.
void clickWhileWaiting(GameScene& scene, int player);
// The piece picked up, in screen squares with its real owner, whatever frame the rule set
// keeps it in; piece -1 when none is.
Cell heldOnScreen(const GameScene& scene);
// After the other side's move: a piece picked up meanwhile (`held`, as heldOnScreen gave it)
// stays picked up if it is still there, lit with what the new position allows.
void keepPick(GameScene& scene, const Cell& held);

}  // namespace ixo
