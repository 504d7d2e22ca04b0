#pragma once

#include "game/game_events.h"
#include "media/sound.h"

namespace ixo {

// Makes every change of position heard: a knock for a move, a heavier one for a capture and
// a soft one for a take-back. Only moves reach it, so selecting, cancelling and refused
// clicks stay silent by construction.
class MoveSounds : public GameObserver {
  public:
    explicit MoveSounds(SoundPlayer& player) : player_(player) {}
    void onMoveEvent(const GameScene& scene, const Move& move, MoveEvent event) override;

  private:
    SoundPlayer& player_;
};

}  // namespace ixo
