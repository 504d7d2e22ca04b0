#include "app/shogi_app.h"

#include <new>

#include "game/game_scene.h"

namespace ixo {

ShogiApp::~ShogiApp() = default;

bool ShogiApp::onTransition(const std::string& sceneName, const std::string&) {
    // The board is the only scene, so whatever it reports keeps it; an empty name means there
    // is none yet (or the last allocation failed) and the board is created again.
    if (sceneName.empty()) {
        setScene(new (std::nothrow) GameScene(screen()));
    }
    return true;
}

}  // namespace ixo
