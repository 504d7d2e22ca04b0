#include "shogi/handicaps.h"

#include <array>
#include <string_view>

namespace ixo {

namespace {

struct Handicap {
    std::string_view name;
    // Red's pieces the giver leaves out, as screen squares (column, row).
    std::array<std::array<int, 2>, 10> removed;
    int count;
};

constexpr Handicap kHandicaps[] = {
    {"香落ち", {{{8, 0}}}, 1},
    {"右香落ち", {{{0, 0}}}, 1},
    {"角落ち", {{{7, 1}}}, 1},
    {"飛車落ち", {{{1, 1}}}, 1},
    {"飛香落ち", {{{1, 1}, {8, 0}}}, 2},
    {"二枚落ち", {{{1, 1}, {7, 1}}}, 2},
    {"四枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}}}, 4},
    {"六枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}}}, 6},
    {"八枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}, {2, 0}, {6, 0}}}, 8},
    {"十枚落ち",
     {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}, {2, 0}, {6, 0}, {3, 0}, {5, 0}}},
     10},
};

}  // namespace

bool handicapPosition(const std::string& name, Position& position) {
    if (name == kEvenGameName) {
        position = Position::start();
        return true;
    }
    for (const Handicap& handicap : kHandicaps) {
        if (name != handicap.name) {
            continue;
        }
        position = Position::start();
        for (int index = 0; index < handicap.count; ++index) {
            const auto [column, row] = handicap.removed[index];
            position.board.cells[row * kBoardSize + column] = Cell{Empty, 0, column, row};
        }
        position.sideToMove = 1;
        return true;
    }
    return false;
}

std::vector<std::string> handicapNames() {
    std::vector<std::string> names;
    for (const Handicap& handicap : kHandicaps) {
        names.emplace_back(handicap.name);
    }
    return names;
}

std::string handicapNameOf(const Position& start) {
    Position candidate;
    if (handicapPosition(kEvenGameName, candidate) && candidate == start) {
        return kEvenGameName;
    }
    for (const Handicap& handicap : kHandicaps) {
        if (handicapPosition(std::string(handicap.name), candidate) && candidate == start) {
            return std::string(handicap.name);
        }
    }
    return "";
}

}  // namespace ixo
