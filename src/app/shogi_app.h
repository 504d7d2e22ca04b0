#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/options.h"
#include "clock/game_clock.h"
#include "game/computer_opponent.h"
#include "game/game_events.h"
#include "game/hint_engine.h"
#include "game/move_sounds.h"
#include "record/game_tree.h"
#include "record/record_keeper.h"
#include "settings/settings.h"
#include "shogi/move.h"
#include "shogi/standard_rules.h"

namespace ixo {

// The application of this game: its one rule creates the game scene when there is none, and
// M mutes and unmutes the sounds of its moves.
class ShogiApp : public Application {
  public:
    explicit ShogiApp(Options options = {});
    ~ShogiApp() override;
    bool onTransition(const std::string& sceneName, const std::string& updateResult) override;

    const Options& options() const { return options_; }

    // The game scene starts from a record that was opened instead of the start position: the
    // position these simple-rules moves lead to, or a standard game as the record leaves it
    // (its start, its moves and its ending), which also makes the game a standard one.
    // `times` are what its moves cost, as the record gives them, for the clocks and the
    // record to go on from.
    void startFrom(std::vector<Move> moves, std::vector<MoveTime> times = {}) {
        openingMoves_ = std::move(moves);
        openingTimes_ = std::move(times);
    }
    void startFrom(const StandardGame& game, std::vector<MoveTime> times = {}) {
        openingStandard_ = game;
        openingTimes_ = std::move(times);
        options_.rules = RuleSet::Standard;
    }
    // The game scene starts from a whole record opened instead of the start position, under
    // its rules, at the end of its main line.
    void startFrom(GameRecord record) {
        options_.rules = record.rules;
        openingRecord_ = std::move(record);
    }
    // Told of every change of position in the game scene; not owned, must outlive the scene.
    void addObserver(GameObserver* observer) { observers_.push_back(observer); }
    // The side panel says so while this keeper cannot write the record; not owned.
    void watchRecord(const RecordKeeper* keeper) { recordKeeper_ = keeper; }

    // The folder the pictures and sounds are read from (see findDataFolder).
    const std::string& dataFolder() const { return dataFolder_; }

    // Starts `choice`: at program start as the first game, and from the new-game panel in
    // place of the game on the board, in a record of its own. The computer is replaced by
    // one for the chosen side, level and rules (or none), and the rules, the clock and the
    // handicap go to the board. Before the window opens the engine is waited for, and false
    // with what to install or pass in `error` says it could not start: the game is then for
    // two players, and the window says why. Once the window is open, the engine starts while
    // the game is on screen, and any failure is told under the board like a later fault.
    bool beginGame(const GameChoice& choice, std::string& error);
    // The game on the board as it was chosen.
    const GameChoice& playing() const { return playing_; }
    // Where a game started from the panel is remembered (see saveGameChoice); empty: nowhere.
    void rememberGamesIn(std::string settingsPath) { settingsPath_ = std::move(settingsPath); }
    ComputerOpponent* computer() const { return computer_.get(); }

    // H's engine: the one --engine names, or fairy-stockfish; it starts at the first H.
    HintEngine* hint() const { return hint_.get(); }

    std::vector<int> wakeDescriptors() const override;
    int wakeWithinMs() const override;

  private:
    // Brings what the side panel shows up to date with the application's state.
    void tellScene();
    // The engine setup of the computer and the hint, from the options.
    EngineSetup engineSetup() const;
    std::unique_ptr<HintEngine> makeHint() const;
    // Puts `next` where `previous` was among the observers (the scene's too), or last.
    void replaceObserver(GameObserver* previous, GameObserver* next);
    // Tells the scene (when there is one) which computer and observers it has.
    void handOverPlayers();
    // Start in the new-game panel: that game begins, and is remembered.
    void beginChosenGame();

    Options options_;
    std::string dataFolder_;
    const RecordKeeper* recordKeeper_ = nullptr;
    MoveSounds moveSounds_{mixer()};
    std::vector<Move> openingMoves_;
    std::optional<StandardGame> openingStandard_;
    std::optional<GameRecord> openingRecord_;
    std::vector<MoveTime> openingTimes_;
    std::vector<GameObserver*> observers_;
    std::unique_ptr<ComputerOpponent> computer_;
    std::unique_ptr<HintEngine> hint_;
    GameChoice playing_;
    std::string settingsPath_;
    std::string startFailure_;  // the computer's engine failed at start, for the notice line
};

}  // namespace ixo
