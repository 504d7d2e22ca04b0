#pragma once

// What must hold of a game scene after every frame, whatever the pointer did. The fuzzer, the
// soak and the tests all judge the scene with this one checker, so a rule tightened here is
// tightened everywhere at once.

#include <string>

#include "game/game_scene.h"
#include "shogi/board.h"
#include "shogi/move_map.h"

namespace ixo::reliability {

inline int piecesOn(const Board& board) {
    int count = 0;
    for (const Cell& cell : board.cells) {
        count += cell.piece != Empty ? 1 : 0;
    }
    return count;
}

// The position as the side to move sees it, which is the frame `selected` and `moveMap` are
// kept in.
inline Board boardOfSideToMove(const GameScene& scene) {
    return scene.turn() != 0 ? scene.board().flipped() : scene.board();
}

// Judges one frame against the frame before it. Construct it on the scene as it stands before
// the first frame; check() then returns an empty string while everything holds, or says what
// broke first.
class SceneInvariants {
  public:
    explicit SceneInvariants(const GameScene& scene) { remember(scene); }

    std::string check(const GameScene& scene) {
        std::string broken = checkBoard(scene.board());
        if (broken.empty()) {
            broken = checkTurn(scene);
        }
        if (broken.empty()) {
            broken = checkSelection(scene);
        }
        remember(scene);
        return broken;
    }

  private:
    static std::string checkBoard(const Board& board) {
        for (int index = 0; index < kSquareCount; ++index) {
            const Cell& cell = board.cells[index];
            const std::string where = " at square " + std::to_string(index);
            if (cell.column != index % kBoardSize || cell.row != index / kBoardSize) {
                return "cell carries square (" + std::to_string(cell.column) + ", " +
                       std::to_string(cell.row) + ")" + where;
            }
            if (cell.piece < Empty || cell.piece > King) {
                return "piece code " + std::to_string(cell.piece) + where;
            }
            if (cell.owner != 0 && cell.owner != 1) {
                return "owner " + std::to_string(cell.owner) + where;
            }
            if (cell.piece == Empty && cell.owner != 0) {
                return "empty cell with owner " + std::to_string(cell.owner) + where;
            }
        }
        return {};
    }

    std::string checkTurn(const GameScene& scene) const {
        if (scene.turn() != 0 && scene.turn() != 1) {
            return "turn " + std::to_string(scene.turn());
        }
        const int pieces = piecesOn(scene.board());
        if (pieces > pieces_) {
            return "pieces grew from " + std::to_string(pieces_) + " to " + std::to_string(pieces);
        }
        if (scene.turn() == turn_) {
            // Only a completed move may touch the position, and a move always passes the turn.
            return scene.board() == board_ ? std::string() : "the board changed without a move";
        }
        if (selected_.piece == -1) {
            return "the turn passed while nothing was selected";
        }
        if (scene.selected.piece != -1 || scene.moveMap.count() != 0) {
            return "the turn passed but the selection was not cleared";
        }
        if (scene.board() == board_) {
            return "the turn passed but no piece moved";
        }
        // The selection was held in the mover's frame, so its row is mirrored on Red's turn.
        const int originRow = turn_ != 0 ? kBoardSize - 1 - selected_.row : selected_.row;
        if (scene.board().cellAt(selected_.column, originRow).piece != Empty) {
            return "the moved piece's origin square is not empty";
        }
        if (pieces < pieces_ - 1) {
            return "one move took more than one piece";
        }
        return {};
    }

    static std::string checkSelection(const GameScene& scene) {
        for (std::uint8_t mark : scene.moveMap.marks) {
            if (mark > 1) {
                return "move map entry " + std::to_string(mark);
            }
        }
        if (scene.selected.piece == -1) {
            return scene.moveMap.count() == 0 ? std::string() : "highlights without a selection";
        }
        const Board frame = boardOfSideToMove(scene);
        const Cell& selected = scene.selected;
        const Cell standing = frame.cellAt(selected.column, selected.row);
        if (standing.piece == Empty || standing.owner != 0 || standing != selected) {
            return "the selected piece is not the side to move's piece on its square (" +
                   std::to_string(selected.column) + ", " + std::to_string(selected.row) + ")";
        }
        MoveMap fresh;
        fresh.computeDestinations(frame, selected.column, selected.row);
        if (fresh != scene.moveMap) {
            return "the highlights differ from the selected piece's destinations";
        }
        if (fresh.count() == 0) {
            return "a piece without destinations is selected";
        }
        return {};
    }

    void remember(const GameScene& scene) {
        board_ = scene.board();
        turn_ = scene.turn();
        selected_ = scene.selected;
        pieces_ = piecesOn(scene.board());
    }

    Board board_{};
    int turn_ = 0;
    Cell selected_{};
    int pieces_ = 0;
};

}  // namespace ixo::reliability
