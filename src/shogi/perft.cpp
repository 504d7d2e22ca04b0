#include "shogi/perft.h"

#include "shogi/standard_movegen.h"

namespace ixo {

namespace {

std::uint64_t countLeaves(Position& position, int depth) {
    // The last ply is counted, not played: each legal move is one leaf.
    if (depth == 1) {
        std::uint64_t leaves = 0;
        standard::forEachLegalMove(position, [&](const MoveRequest&) {
            ++leaves;
            return true;
        });
        return leaves;
    }
    std::vector<MoveRequest> moves;
    standard::forEachLegalMove(position, [&](const MoveRequest& move) {
        moves.push_back(move);
        return true;
    });
    std::uint64_t leaves = 0;
    for (const MoveRequest& move : moves) {
        const Move made = standard::makeMove(position, move);
        leaves += countLeaves(position, depth - 1);
        standard::unmakeMove(position, made);
    }
    return leaves;
}

}  // namespace

std::uint64_t perft(const Position& position, int depth) {
    if (depth <= 0) {
        return 1;
    }
    Position scratch = position;
    return countLeaves(scratch, depth);
}

std::vector<std::pair<MoveRequest, std::uint64_t>> perftDivide(const Position& position,
                                                               int depth) {
    std::vector<std::pair<MoveRequest, std::uint64_t>> split;
    if (depth <= 0) {
        return split;
    }
    Position scratch = position;
    std::vector<MoveRequest> moves;
    legalMoves(position, moves);
    for (const MoveRequest& move : moves) {
        const Move made = standard::makeMove(scratch, move);
        split.emplace_back(move, depth == 1 ? 1 : countLeaves(scratch, depth - 1));
        standard::unmakeMove(scratch, made);
    }
    return split;
}

}  // namespace ixo
