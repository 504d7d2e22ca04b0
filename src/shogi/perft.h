#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// The number of leaf positions `depth` legal moves below `position`, every non-promotion
// counted. Published counts for known positions prove the move generator.
std::uint64_t perft(const Position& position, int depth);

// The same count split by the first move, in generation order.
std::vector<std::pair<MoveRequest, std::uint64_t>> perftDivide(const Position& position, int depth);

}  // namespace ixo
