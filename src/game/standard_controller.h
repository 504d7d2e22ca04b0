#pragma once

#include "game/game_scene.h"

namespace ixo {

// The parts of the turn controller beyond the simple rules, called by GameScene::update.

// N, and under the standard rules G and D: a first press asks in the notice line, the same
// key again within the confirmation window does it. Any other action drops the question.
void answerQuestions(GameScene& scene);

// U / Backspace and R through the standard game, its endings included.
void stepThroughStandardHistory(GameScene& scene);

// One frame of the mouse under the standard rules, in screen squares for both sides.
void updateStandard(GameScene& scene);

}  // namespace ixo
