#pragma once

#include "game/game_scene.h"

namespace ixo {

// The parts of the turn controller beyond the simple rules, called by GameScene::update.

// N, and under the standard rules G and D: a first press asks in the notice line, the same
// key again within the confirmation window does it. Any other action drops the question.
void answerQuestions(GameScene& scene);

// After any change of the match's position the selection goes: it was judged on a position
// that is gone, and on the simple rules' other turn it would be drawn in the wrong frame.
void settle(GameScene& scene);
Move lastPlayed(const Match& match);
// The observers hear of an ending without a move (or of its take-back) only under the standard
// rules: the simple rules' record has no ending to write, so their flag fall is no one's news.
void tellEnding(GameScene& scene);

// One ply back or forward, its ending included, with the observers told; false when there
// is nothing to take back or replay.
bool takeBackPly(GameScene& scene);
bool replayPly(GameScene& scene);

// U / Backspace and R through the game, its endings (a flag fall among them) included.
void stepThroughHistory(GameScene& scene);

// One frame of the mouse under the standard rules, in screen squares for both sides.
void updateStandard(GameScene& scene);

// One frame of the mouse while the computer thinks: `player` may pick up a piece of their
// own, lit with the squares it could reach were it their turn, but nothing moves until it is.
void updateStandardWhileWaiting(GameScene& scene, int player);
// After the computer's move: a piece picked up meanwhile (`held`, as `selected` was) stays
// picked up if it is still there, lit with what the new position allows.
void keepStandardPick(GameScene& scene, const Cell& held);

}  // namespace ixo
