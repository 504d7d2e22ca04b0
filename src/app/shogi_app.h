#pragma once

#include <string>
#include <utility>

#include "app/application.h"
#include "app/options.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none.
class ShogiApp : public Application {
  public:
    explicit ShogiApp(Options options = {}) : options_(std::move(options)) {}
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;

    const Options& options() const { return options_; }

  private:
    Options options_;
};

}  // namespace ixo
