#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "shogi/board.h"

namespace ixo {

// Which game is played. Simple is the game as it has always been here: captures leave the
// game, promotion is forced and nothing knows about check. Standard is shogi as it is played
// everywhere else, with pieces in hand, drops, the choice to promote, check and mate.
enum class RuleSet { Simple, Standard };

// How many of each kind a side holds, indexed by the unpromoted PieceCode (Pawn, Lance,
// Knight, Silver, Gold, Bishop, Rook); every other index stays 0.
using Hand = std::array<std::uint8_t, King + 1>;

// A position is a value: the board, both hands and the side to move. The board keeps its
// screen squares (column 0 at the left, row 0 at the top, as Blue sees it) and owners (0
// Blue, 1 Red), so the scene, the simple rules and the standard rules share one Board.
struct Position {
    Board board;
    std::array<Hand, 2> hands{};
    int sideToMove = 0;  // 0 Blue (sente, moves first in an even game), 1 Red

    static Position start();

    friend bool operator==(const Position& a, const Position& b) {
        return a.board == b.board && a.hands == b.hands && a.sideToMove == b.sideToMove;
    }
    friend bool operator!=(const Position& a, const Position& b) { return !(a == b); }
};

// SFEN, the one-line notation USI engines and perft use:
// "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1". Upper case is Blue
// (sente, "b"), lower case Red (gote, "w"). The move number is written as given.
std::string toSfen(const Position& position, int moveNumber = 1);

// Reads a SFEN (or the word "startpos"). On false `error` says what is wrong in words a
// player can read and `position` is untouched. Checks the notation only (squares, piece
// letters, counts that fit in a hand); whether the position could arise is a separate
// question (see validatePosition in standard_rules.h).
bool parseSfen(const std::string& text, Position& position, std::string& error,
               int* moveNumber = nullptr);

}  // namespace ixo
