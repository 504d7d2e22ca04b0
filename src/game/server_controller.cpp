#include "game/server_controller.h"

#include "game/turn_controller.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/computer_opponent.h"
#include "match/server_player.h"

namespace ixo {

namespace {

// G and D ask first, as in any game; the same key within the confirmation window sends it.
void answerServerQuestions(GameScene& scene, ServerPlayer& server) {
    const Keyboard& keys = Keyboard::instance();
    const Mouse& mouse = Mouse::instance();
    if (scene.asking != GameScene::Question::None &&
        (scene.ticks() - scene.askedAt > GameScene::kConfirmWindowMs || mouse.leftReleased() ||
         mouse.rightReleased())) {
        scene.asking = GameScene::Question::None;
        scene.notice.clear();
    }
    const auto ask = [&](GameScene::Question question, const char* prompt) {
        if (scene.asking == question) {
            scene.asking = GameScene::Question::None;
            scene.notice.clear();
            if (question == GameScene::Question::NewGame) {
                scene.chooseNextGame();
                return;
            }
            const bool sent = question == GameScene::Question::Resign
                                  ? server.resign(scene.match.now())
                                  : server.declareWin(scene.match.now());
            if (!sent) {
                scene.notice = question == GameScene::Question::Resign
                                   ? "Nothing to resign: the game is not being played"
                                   : "A declaration waits for your turn";
            }
            return;
        }
        scene.asking = question;
        scene.askedAt = scene.ticks();
        scene.notice = prompt;
    };
    // N is for another game once this one is over; before, leaving it is Escape's.
    const ServerStatus status = server.status();
    if (status == ServerStatus::Over || status == ServerStatus::Failed ||
        status == ServerStatus::Left) {
        for (int count = keys.presses(SDLK_n); count > 0; --count) {
            ask(GameScene::Question::NewGame, "Start a new game? Press N again to confirm");
        }
    }
    for (int count = keys.presses(SDLK_g); count > 0; --count) {
        ask(GameScene::Question::Resign, "Resign this game? Press G again to confirm");
    }
    for (int count = keys.presses(SDLK_d); count > 0; --count) {
        ask(GameScene::Question::Impasse, "Declare impasse (27 points)? Press D again");
    }
}

}  // namespace

void updateServerGame(GameScene& scene) {
    ServerPlayer& server = *scene.server;
    Match& match = scene.match;
    answerServerQuestions(scene, server);
    const bool running = server.status() == ServerStatus::Playing;
    if (ComputerOpponent* computer = scene.computer()) {
        // The engine plays our side, and only while the game runs: before the server starts
        // it, the side to move may be ours with no game to move in.
        if (computer->side() != server.ourSide()) {
            computer->setSide(server.ourSide());
        }
        if (running) {
            scene.updateComputer();
        }
        if (Mouse::instance().rightReleased()) {
            settle(scene);
        }
    } else if (server.ourTurn(match)) {
        clickToMove(scene);
    } else if (running || server.status() == ServerStatus::Starting) {
        clickWhileWaiting(scene, server.ourSide());
    }
    // Last, so that a move made in this pass goes out in this pass.
    const Cell held = heldOnScreen(scene);
    const int sideBefore = server.ourSide();
    const bool changed = server.update(match, match.now());
    if (sideBefore < 0 && server.ourSide() >= 0) {
        // Our side at the bottom; F turns it round as in any game.
        scene.setTurned(server.ourSide() == 1);
    }
    if (!changed) {
        return;
    }
    settle(scene);
    keepPick(scene, held);
    if (match.ply() > 0 || match.current().isEnd()) {
        scene.notify(lastPlayed(match),
                     match.current().isEnd() ? MoveEvent::Ended : MoveEvent::Played);
    }
}

}  // namespace ixo
