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
#include "match/game_analysis.h"
#include "match/hint_engine.h"
#include "match/live_analysis.h"
#include "match/record_keeper.h"
#include "match/server_player.h"
#include "record/game_tree.h"
#include "settings/settings.h"

namespace ixo {

class GameScene;

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
    // A's analysis, with the same engine at full strength and --analysis-time a position;
    // its engine starts at the first A.
    GameAnalysis* analysis() const { return analysis_.get(); }
    // L's live lines, with the same engine; it starts at the first L.
    LiveAnalysis* liveAnalysis() const { return live_.get(); }
    // The record given to startFrom is one to look back at: it opens with its moves listed,
    // and a move made at an earlier place starts a variation rather than replacing the main
    // line.
    void reviewOpening() { reviewOpening_ = true; }

    // O: the computer takes the side not to move and the game goes on from where it stands,
    // in the same record (a variation, when looking back at one). Nothing when a computer or
    // a server already plays.
    void playOnAgainstComputer();
    // With --server: starts connecting; the game scene then plays the side the server gives,
    // by the mouse or (--computer ours) by the engine. False with the reason when it cannot
    // even begin.
    bool startServer(const std::string& password, std::string& error);
    ServerPlayer* server() const { return server_.get(); }
    // After run(): waits, no longer than the protocol's logout wait, for the server's goodbye.
    void finishServer();

    std::vector<int> wakeDescriptors() const override;
    int wakeWithinMs() const override;
    // Escape or the window closed: a game on a server is left cleanly first.
    bool pollEvents() override;

  private:
    // Brings what the side panel shows up to date with the application's state.
    void tellScene();
    // The engine setup of the computer and the hint, from the options.
    EngineSetup engineSetup() const;
    std::unique_ptr<HintEngine> makeHint() const;
    // Tells the scene (when there is one) which computer, hint and observers it has.
    void handOverPlayers();
    // The record keeper names the computer's side after it, off a server.
    void nameComputer();
    // Start in the new-game panel: that game begins, and is remembered.
    void beginChosenGame();
    // The computer for `choice`'s side (or our side on a server), replacing none: started
    // without waiting when the window is open, waited for before it opens. False, with what
    // to install or pass in `error`, when it could not start before the window opened.
    bool seatComputer(const GameChoice& choice, GameScene* game, std::string& error);
    // The terminal gets the whole of what the server player says when the game ends or fails;
    // the screen has room for one line.
    void reportServer();
    // The old computer goes before a new game starts, so that nothing it still owes reaches
    // the new game.
    void dismissComputer();
    // Another game replaces the one on the server: the scene lets go of it, and it logs out
    // in the background, so that a slow goodbye never holds the window.
    void dropServer(GameScene* game);
    // The panel's game on the server this run was given, with the password it was given.
    void beginServerGame(GameScene& game);
    // With --computer ours, the engine plays our side: in a server game, and before the first
    // one starts; a game here after it seats the computer as the panel chose.
    bool computerPlaysOurs() const { return options_.serverComputer && onServer(); }
    // The game is the server's: one is under way, or this run was given a server and has not
    // started its game yet.
    bool onServer() const { return !options_.serverHost.empty() && (server_ || !serverKnown_); }

    Options options_;
    std::string dataFolder_;
    RecordKeeper* recordKeeper_ = nullptr;
    MoveSounds moveSounds_{mixer()};
    std::optional<GameRecord> openingRecord_;
    std::vector<GameObserver*> observers_;
    std::unique_ptr<ComputerOpponent> computer_;
    std::unique_ptr<HintEngine> hint_;
    std::unique_ptr<GameAnalysis> analysis_;
    std::unique_ptr<LiveAnalysis> live_;
    bool reviewOpening_ = false;
    GameChoice playing_;
    std::string settingsPath_;
    std::string startFailure_;  // the computer's engine failed at start, for the notice line
    std::unique_ptr<ServerPlayer> server_;
    std::unique_ptr<ServerPlayer> leaving_;  // a server game replaced, saying goodbye
    // Kept for another game on the same server in this run; never written anywhere.
    std::string serverPassword_;
    bool serverKnown_ = false;  // a server game has been started in this run
    ServerStatus reportedStatus_ = ServerStatus::Connecting;
};

}  // namespace ixo
