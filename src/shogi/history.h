#pragma once

#include <cstddef>
#include <vector>

#include "shogi/board.h"
#include "shogi/move.h"

namespace ixo {

// The moves of one game from the start position and how far along them the board stands.
// Moves past that point were taken back and can be replayed until a new move is made.
class MoveHistory {
  public:
    // A move made on the board; whatever could have been replayed is gone.
    void record(const Move& move);

    // Undoes the last move on `board`; null at the start position.
    const Move* takeBack(Board& board);
    // Makes the last taken-back move again through the rules; null when there is none, or
    // when `board` is not the position that move was made from.
    const Move* replay(Board& board);

    // The moves that lead from the start position to the current one.
    std::vector<Move> played() const;
    std::size_t position() const { return position_; }
    std::size_t size() const { return moves_.size(); }
    // Blue moves first and the sides alternate, so the count of played moves says who is next.
    int sideToMove() const { return static_cast<int>(position_ % 2); }

  private:
    std::vector<Move> moves_;
    std::size_t position_ = 0;
};

}  // namespace ixo
