#pragma once

#include "shogi/move.h"

namespace ixo {

class GameScene;

// What happened to the position in a pass. A replay is the same move made again, so it is
// told apart only for those who care (the record does not, the sounds do not).
enum class MoveEvent {
    Played,     // a move made on the board by a player (or read from a record)
    TakenBack,  // the move was undone; the board is the position before it
    Replayed,   // a taken-back move was made again
    // The standard game ended without a move (a resignation, a declaration, a foul, time),
    // or its ending was taken back; `move` is the last move played, if any.
    Ended,
};

// Told about every change of position after the scene's state (board, turn, history) has been
// updated, so it may read the scene. The scene does not own its observers.
class GameObserver {
  public:
    virtual ~GameObserver() = default;
    virtual void onMoveEvent(const GameScene& scene, const Move& move, MoveEvent event) = 0;
    // Once a pass, after that pass's frame is on the screen: work that may take a while (a
    // write to disk) waits for this, so a click's effect is never shown late because of it.
    virtual void afterFrame() {}
    // The players started a new game (N): the scene holds its start position and no moves.
    virtual void onNewGame(const GameScene&) {}
};

}  // namespace ixo
