#include <utility>

#include "game/game_scene.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/computer_opponent.h"
#include "match/hint_engine.h"
#include "match/server_player.h"

namespace ixo {

void GameScene::chooseNextGame() {
    // After a game on the server, a game here starts from the rules that game was played by.
    GameChoice current = playing;
    if (server) {
        current.rules = rules();
    }
    newGamePanel.open(current, offeredClock, serverOffered, server != nullptr);
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
    // The panel opens on a server game only once it is over: what is left to read is the
    // goodbye, which must not be left waiting on the socket.
    if (server) {
        server->pump(match.now());
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
