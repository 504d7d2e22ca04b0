#include "game/game_scene.h"

#include "app/format.h"

namespace ixo {

GameScene::GameScene(SDL_Surface* screen) : screen(screen) {
    moveMap.clear();
    selected.piece = -1;

    // A missing picture only leaves its Image empty, so the load results are not kept: the
    // game stays playable with that picture invisible.
    background.load("../image/bg.jpg");
    boardPicture.load("../image/board.jpg");
    // The two largest pictures are drawn in every frame; see matchScreenFormat.
    background.matchScreenFormat();
    boardPicture.matchScreenFormat();
    for (int code = 1; code <= King; ++code) {
        bluePieces[code].load(formatString("../image/team/sample/1p/%02d.png", code));
        redPieces[code].load(formatString("../image/team/sample/2p/%02d.png", code));
    }
    redShadow.load("../image/kager.png");
    blueShadow.load("../image/kageb.png");
    highlight.load("../image/hikari.png");

    board.reset();
}

// Explicit, in reverse order of the fields, so that every surface is gone before the
// application shuts SDL down, whatever the member destructors would do on their own.
GameScene::~GameScene() {
    portrait.free();
    highlight.free();
    blueShadow.free();
    redShadow.free();
    for (int code = King; code >= 0; --code) {
        redPieces[code].free();
    }
    for (int code = King; code >= 0; --code) {
        bluePieces[code].free();
    }
    boardPicture.free();
    background.free();
}

void GameScene::notify(const Move& move, MoveEvent event) const {
    for (GameObserver* observer : observers) {
        observer->onMoveEvent(*this, move, event);
    }
}

std::string GameScene::name() {
    return "game";
}

}  // namespace ixo
