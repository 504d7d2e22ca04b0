#include "game/move_sounds.h"

namespace ixo {

void MoveSounds::onMoveEvent(const GameScene&, const Move& move, MoveEvent event) {
    if (event == MoveEvent::TakenBack) {
        player_.play(Sound::TakeBack);
        return;
    }
    // A replayed move sounds as it did when it was first made.
    player_.play(move.captured != 0 ? Sound::Capture : Sound::Move);
}

}  // namespace ixo
