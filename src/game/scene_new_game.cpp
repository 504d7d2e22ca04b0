#include <utility>

#include "game/computer_opponent.h"
#include "game/game_scene.h"
#include "game/hint_engine.h"
#include "input/keyboard.h"
#include "input/mouse.h"

namespace ixo {

void GameScene::chooseNextGame() {
    newGamePanel.open(playing, offeredClock);
    // The clock stops, measuring or not; P's pause, if any, is the player's and stays after
    // the panel.
    pausedForPanel_ = match.hold(true);
    if (computer) {
        computer->pause(*this);
    }
}

std::string GameScene::updatePanel() {
    Mouse::instance().refresh();
    // Engines are still read, so that nothing they send keeps the loop awake; the computer
    // owns no turn while the panel is open, so it asks nothing.
    if (computer) {
        computer->update(*this);
    }
    if (hint) {
        hint->update(*this);
    }
    const NewGamePanel::Result result =
        newGamePanel.handle(Mouse::instance(), Keyboard::instance());
    if (result == NewGamePanel::Result::None) {
        return "loop";
    }
    if (pausedForPanel_) {
        match.hold(false);
        pausedForPanel_ = false;
    }
    beginPending_ = result == NewGamePanel::Result::Start;
    return beginPending_ ? kBeginChosenGame : "loop";
}

void GameScene::beginGame(GameRecord start) {
    resumeRecord(std::move(start));
    for (GameObserver* observer : observers) {
        observer->onNewGame(*this);
    }
}

}  // namespace ixo
