#include "shogi/history.h"

namespace ixo {

void MoveHistory::record(const Move& move) {
    moves_.resize(position_);
    moves_.push_back(move);
    ++position_;
}

const Move* MoveHistory::takeBack(Board& board) {
    if (position_ == 0) {
        return nullptr;
    }
    --position_;
    takeBackMove(board, moves_[position_]);
    return &moves_[position_];
}

const Move* MoveHistory::replay(Board& board) {
    if (position_ == moves_.size()) {
        return nullptr;
    }
    // Through the rules rather than by writing the squares back, so a board that was changed
    // behind the history's back can never receive a move that is not legal on it.
    const Move& move = moves_[position_];
    Move made;
    if (!playMove(board, move.owner, move.fromColumn, move.fromRow, move.toColumn, move.toRow,
                  &made)) {
        return nullptr;
    }
    if (made != move) {
        takeBackMove(board, made);
        return nullptr;
    }
    ++position_;
    return &moves_[position_ - 1];
}

std::vector<Move> MoveHistory::played() const {
    return {moves_.begin(), moves_.begin() + static_cast<std::ptrdiff_t>(position_)};
}

}  // namespace ixo
