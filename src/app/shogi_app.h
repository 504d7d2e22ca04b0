#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/options.h"
#include "game/game_events.h"
#include "shogi/move.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none.
class ShogiApp : public Application {
  public:
    explicit ShogiApp(Options options = {}) : options_(std::move(options)) {}
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;

    const Options& options() const { return options_; }

    // The game scene starts from the position these moves lead to (a record that was opened)
    // instead of the start position.
    void startFrom(std::vector<Move> moves) { openingMoves_ = std::move(moves); }
    // Told of every change of position in the game scene; not owned, must outlive the scene.
    void addObserver(GameObserver* observer) { observers_.push_back(observer); }

  private:
    Options options_;
    std::vector<Move> openingMoves_;
    std::vector<GameObserver*> observers_;
};

}  // namespace ixo
