#pragma once

#include <string>
#include <utility>

#include "app/application.h"
#include "app/options.h"
#include "game/move_sounds.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none, and
// M mutes and unmutes the sounds of its moves.
class ShogiApp : public Application {
  public:
    explicit ShogiApp(Options options = {});
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;

    const Options& options() const { return options_; }

  private:
    Options options_;
    MoveSounds moveSounds_{mixer()};
};

}  // namespace ixo
