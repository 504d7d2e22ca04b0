#pragma once

#include "game/game_scene.h"

namespace ixo {

// One pass of a game on a server, in place of the turn controller's: our side's clicks move
// only when the server player says it is our turn, the computer (when it plays our side)
// thinks only while the game runs, and G and D, pressed twice, resign and declare through
// the server, which gives the result. Nothing is taken back, replayed or started anew: the
// game is the server's.
void updateServerGame(GameScene& scene);

}  // namespace ixo
