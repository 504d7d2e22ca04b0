#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/options.h"
#include "clock/game_clock.h"
#include "game/game_events.h"
#include "game/move_sounds.h"
#include "match/computer_opponent.h"
#include "match/hint_engine.h"
#include "match/record_keeper.h"
#include "record/game_tree.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none, and
// M mutes and unmutes the sounds of its moves.
class ShogiApp : public Application {
  public:
    explicit ShogiApp(Options options = {});
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;

    const Options& options() const { return options_; }

    // The game scene starts from a whole record opened instead of the start position, under
    // its rules, at the end of its main line.
    void startFrom(GameRecord record) {
        options_.rules = record.rules;
        openingRecord_ = std::move(record);
    }
    // Told of every change of position in the game scene; not owned, must outlive the scene.
    void addObserver(GameObserver* observer) { observers_.push_back(observer); }
    // Writes the record of every game scene's match, once the frame that shows a change is
    // up; the side panel says so while it cannot. Not owned, must outlive the scene.
    void keepRecord(RecordKeeper* keeper);

    // The folder the pictures and sounds are read from (see findDataFolder).
    const std::string& dataFolder() const { return dataFolder_; }

    // With --computer: starts the engine before any window opens and lets it play its side
    // of every game scene. False, with what to install or pass in `error`, when it cannot.
    bool startComputer(std::string& error);
    ComputerOpponent* computer() const { return computer_.get(); }

    // H's engine: the one --engine names, or fairy-stockfish; it starts at the first H.
    HintEngine* hint() const { return hint_.get(); }

    std::vector<int> wakeDescriptors() const override;
    int wakeWithinMs() const override;

  private:
    // Brings what the side panel shows up to date with the application's state.
    void tellScene();

    Options options_;
    std::string dataFolder_;
    RecordKeeper* recordKeeper_ = nullptr;
    MoveSounds moveSounds_{mixer()};
    std::optional<GameRecord> openingRecord_;
    std::vector<GameObserver*> observers_;
    std::unique_ptr<ComputerOpponent> computer_;
    std::unique_ptr<HintEngine> hint_;
};

}  // namespace ixo
