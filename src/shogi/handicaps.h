#pragma once

#include <string>
#include <vector>

#include "shogi/position.h"

namespace ixo {

// The usual handicaps by the names records give them in 手合割. 上手 (the giver) is Red at
// the top and moves first; 下手 keeps the whole set.

constexpr const char* kEvenGameName = "平手";

// The start position of a handicap named by 手合割 (平手 for the even game); false for a
// name that is not one of the usual handicaps.
bool handicapPosition(const std::string& name, Position& position);

// The names of the usual handicaps, from the smallest to the largest (平手 not among them).
std::vector<std::string> handicapNames();

// The name of the handicap (or 平手) that starts from `start`; empty for any other position,
// which a record then gives as a diagram.
std::string handicapNameOf(const Position& start);

}  // namespace ixo
