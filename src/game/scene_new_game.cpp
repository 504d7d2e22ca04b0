#include <utility>

#include "game/game_scene.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/computer_opponent.h"
#include "match/hint_engine.h"

namespace ixo {

void GameScene::chooseNextGame() {
    newGamePanel.open(playing, offeredClock);
    // The clock stops, measuring or not; P's pause, if any, is the player's and stays after
    // the panel.
    pausedForPanel_ = match.hold(true);
    if (computer_) {
        computer_->hold(true);
    }
}

std::string GameScene::updatePanel() {
    Mouse::instance().refresh();
    // Engines are still read, so that nothing they send keeps the loop awake; the computer
    // owns no turn while the panel is open, so it asks nothing.
    if (computer_) {
        updateComputer();
    }
    if (hint_) {
        hint_->update(match);
        hintNotice_.show(hint_->notice(), notice);
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
    if (computer_) {
        computer_->hold(false);
    }
    beginPending_ = result == NewGamePanel::Result::Start;
    return beginPending_ ? kBeginChosenGame : "loop";
}

void GameScene::beginGame(GameRecord start) {
    // A game begun is played, whatever record was being looked back at before it.
    match.setPlacement(GameRecord::Placement::MainLine);
    resumeRecord(std::move(start));
    for (GameObserver* observer : observers) {
        observer->onNewGame(*this);
    }
}

}  // namespace ixo
