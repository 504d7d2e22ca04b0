#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "shogi/board.h"

namespace ixo {

// How the pieces move, said once. Both rule sets read this table: the simple rules through
// MoveMap::computeDestinations, the standard rules through their own move generator and
// attack test. Offsets are seen from owner 0, whose forward is toward row 0; a side moving
// the other way mirrors the row of every offset.

struct Offset {
    std::int8_t column;
    std::int8_t row;
};

// Steps judge one square each; rays slide until a square stops them.
struct Movement {
    std::array<Offset, 8> steps;
    std::uint8_t stepCount;
    std::array<Offset, 4> rays;
    std::uint8_t rayCount;
};

constexpr Offset kForward{0, -1};
constexpr Offset kBack{0, 1};
constexpr Offset kLeft{-1, 0};
constexpr Offset kRight{1, 0};
constexpr Offset kForwardLeft{-1, -1};
constexpr Offset kForwardRight{1, -1};
constexpr Offset kBackLeft{-1, 1};
constexpr Offset kBackRight{1, 1};

enum MovementKind : std::uint8_t {
    kStill,
    kPawnMoves,
    kGoldMoves,
    kBishopMoves,
    kHorseMoves,
    kRookMoves,
    kDragonMoves,
    kLanceMoves,
    kKnightMoves,
    kSilverMoves,
    kKingMoves,
    kMovementKindCount,
};

// Counts come from the lists themselves, so an entry cannot claim more moves than it has.
constexpr Movement movement(std::initializer_list<Offset> steps,
                            std::initializer_list<Offset> rays) {
    Movement result{};
    for (const Offset step : steps) {
        result.steps[result.stepCount++] = step;
    }
    for (const Offset direction : rays) {
        result.rays[result.rayCount++] = direction;
    }
    return result;
}

constexpr std::array<Movement, kMovementKindCount> kMovements = {
    movement({}, {}),                                                             // kStill
    movement({kForward}, {}),                                                     // kPawnMoves
    movement({kForward, kForwardLeft, kForwardRight, kLeft, kRight, kBack}, {}),  // kGoldMoves
    movement({}, {kForwardLeft, kForwardRight, kBackLeft, kBackRight}),           // kBishopMoves
    movement({kForward, kLeft, kRight, kBack},
             {kForwardLeft, kForwardRight, kBackLeft, kBackRight}),  // kHorseMoves
    movement({}, {kForward, kRight, kBack, kLeft}),                  // kRookMoves
    movement({kForwardLeft, kForwardRight, kBackLeft, kBackRight},
             {kForward, kRight, kBack, kLeft}),  // kDragonMoves
    movement({}, {kForward}),                    // kLanceMoves
    // The knight jumps: only its landing square is judged, whatever stands in between.
    movement({Offset{-1, -2}, Offset{1, -2}}, {}),                                 // kKnightMoves
    movement({kForward, kForwardLeft, kForwardRight, kBackLeft, kBackRight}, {}),  // kSilverMoves
    movement({kForward, kForwardLeft, kForwardRight, kLeft, kRight, kBackLeft, kBackRight, kBack},
             {}),  // kKingMoves
};

// Indexed by piece code. Every promoted minor piece moves as a gold, so they all point at the
// one gold entry rather than repeating it.
constexpr std::array<MovementKind, King + 1> kMovementOf = {
    kStill,        // Empty
    kPawnMoves,    // Pawn
    kGoldMoves,    // PromotedPawn
    kBishopMoves,  // Bishop
    kHorseMoves,   // PromotedBishop
    kRookMoves,    // Rook
    kDragonMoves,  // PromotedRook
    kLanceMoves,   // Lance
    kGoldMoves,    // PromotedLance
    kKnightMoves,  // Knight
    kGoldMoves,    // PromotedKnight
    kSilverMoves,  // Silver
    kGoldMoves,    // PromotedSilver
    kGoldMoves,    // Gold
    kKingMoves,    // King
};

// A ray may start anywhere a caller computed a square from, and nine strides of any size
// from the edge of the int range would overflow; 64 bits hold every square a ray can try.
using RayCoordinate = std::int64_t;
constexpr int kLongestRay = 9;

// The one ray walk: the squares at distance 1 to 9 along (columnStep, rowStep), handed to
// `visit(column, row)` until it answers false. The visitor judges the square, edge included,
// so each caller keeps its own square rule while the walk exists once.
template <typename Visit>
inline void walkRay(int column, int row, int columnStep, int rowStep, Visit&& visit) {
    // A ray without a direction would judge its own square over and over; the piece's own
    // square is never a destination.
    if (columnStep == 0 && rowStep == 0) {
        return;
    }
    for (int k = 1; k <= kLongestRay; ++k) {
        const RayCoordinate targetColumn = RayCoordinate{column} + RayCoordinate{k} * columnStep;
        const RayCoordinate targetRow = RayCoordinate{row} + RayCoordinate{k} * rowStep;
        if (!visit(targetColumn, targetRow)) {
            return;
        }
    }
}

}  // namespace ixo
