#include <array>
#include <cstdint>
#include <initializer_list>

#include "shogi/move_map.h"

namespace ixo {

namespace {

struct Offset {
    std::int8_t column;
    std::int8_t row;
};

// How one kind of piece moves, seen from owner 0 whose forward is toward row 0. Steps judge
// one square each; rays slide until the square rule stops them.
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

}  // namespace

void MoveMap::computeDestinations(Board board, int column, int row) {
    clear();
    // The owner is deliberately ignored: on Red's turn the scene hands over a flipped board,
    // so whoever is to move is owner 0 here and one table serves both sides.
    const int piece = board.cellAt(column, row).piece;
    if (piece < Empty || piece > King) {
        return;
    }
    const Movement& moves = kMovements[kMovementOf[piece]];
    // An off-board square reads as Empty, so from here on the square is on the board and the
    // offsets below cannot leave the int range.
    for (int i = 0; i < moves.stepCount; ++i) {
        const Offset step = moves.steps[i];
        tryStep(board, column + step.column, row + step.row);
    }
    for (int i = 0; i < moves.rayCount; ++i) {
        const Offset direction = moves.rays[i];
        ray(board, column, row, direction.column, direction.row);
    }
}

}  // namespace ixo
