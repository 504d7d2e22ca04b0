#pragma once

#include <string>

#include "app/application.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none.
class ShogiApp : public Application {
  public:
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;
};

}  // namespace ixo
