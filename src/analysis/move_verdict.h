#pragma once

#include <array>
#include <string>

#include "record/game_tree.h"

namespace ixo {

// What the engine's evaluations say of the moves played: the chance each side had, and how
// much a move gave away.

// Blue's chance to win, 0 to 100, from an evaluation from Blue's side: 1 / (1 + e^(-cp/600)),
// the curve ShogiHome maps a score through; a mate is 0 or 100 whatever its distance.
double winChance(const Evaluation& evaluation);

// How bad a move was, by the points of win chance it cost its own mover, at ShogiHome's
// default thresholds: 5 緩手, 10 疑問手, 20 悪手, 50 大悪手.
enum class MoveLabel : std::uint8_t { None, Inaccuracy, Dubious, Mistake, Blunder };
constexpr int kMoveLabelCount = 5;
MoveLabel labelForLoss(double pointsLost);
// "悪手"; empty for None.
const char* labelText(MoveLabel label);

// The label of `node`'s move: from the evaluations before it (its parent's) and after it,
// from its mover's side. None when either is missing, on the root and on an ending, and when
// the move is the first of the engine's line before it: the engine's own best is never a
// mistake, however the evaluation moved.
MoveLabel labelOf(const GameRecord& record, const RecordNode& node);

// How many moves of each label each side made along the main line: counts[side][label].
using LabelCounts = std::array<std::array<int, kMoveLabelCount>, 2>;
LabelCounts countLabels(const GameRecord& record);

// The first move of an engine line as the record writes it ("▲７六歩(77)"), or empty.
std::string firstMoveOf(const std::string& line);

}  // namespace ixo
