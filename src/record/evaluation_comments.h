#pragma once

#include <string>

#include "record/game_tree.h"

namespace ixo {

// An engine's verdict as lines of a move's comment, the way ShogiHome writes and reads them,
// so a record analysed here shows its chart there and the other way round:
//   【悪手】                      the label of the move, when it has one
//   #評価値=-350                  centipawns from Blue's (sente's) side
//   #詰み=先手勝ち:7手            a mate instead: who mates, and in how many plies when known
//   #読み筋=▲７六歩(77)△３四歩(33)  the engine's line in KIF notation
// The origins in the line keep it exact (two golds may reach one square); ShogiHome's and
// tsshogi's line readers accept them.

// A centipawn value this far from zero stands for a mate whose distance is not known, as
// "#詰み=先手勝ち" without a count says.
constexpr int kUnknownMateCentipawns = 100000;

// What the evaluation lines of `comment` say. False, with `evaluation` untouched, when the
// comment has none or only broken ones ("#評価値=abc"), which then stay plain comment lines.
bool readEvaluationComment(const std::string& comment, Evaluation& evaluation);

// Fills `evaluation` (and `evaluated`) of every node whose comment holds an evaluation, as a
// record is opened. The comment itself is left as it was, so nothing is lost on writing.
void readEvaluationComments(GameRecord& record);

// `comment` with its evaluation and label lines replaced by those of `evaluation` and
// `label` (empty for none): the other lines keep their order, the new ones come last.
std::string withEvaluationLines(const std::string& comment, const Evaluation& evaluation,
                                const std::string& label);

// Whether `line` is one this format writes (and so one withEvaluationLines replaces).
bool isEvaluationLine(const std::string& line);

}  // namespace ixo
