#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_process.h"
#include "engine/usi_commands.h"
#include "engine/usi_lines.h"

namespace ixo {

// Every wait on an engine, by name, scaled by one factor (slow machines, sanitizers, tests).
struct EngineTimeouts {
    int usiOkMs = 10000;  // gpsusi takes about 1.2 s to send usiok
    int readyOkMs = 10000;
    int stopMs = 5000;            // the bestmove owed after `stop`
    int bestMoveMarginMs = 5000;  // beyond the mover's time before a search counts as hung
    int quitMs = 2000;            // gpsusi ignores quit while it searches, so then a kill
    double factor = 1.0;

    int scaled(int ms) const;
};

// What an engine is asked to be. `options` (from the command line) come last, so they win
// over the level's.
struct EngineSetup {
    std::string program;  // as the user named it: a path or a name on PATH or in /usr/games
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> options;
    int level = kDefaultLevel;
    // For the simple rules: the variant definition file and the variant's name; both empty
    // for standard shogi.
    std::string variantFile;
    std::string variantName;
    EngineTimeouts timeouts;
};

// The engine's life: starting (usi ... readyok), ready, thinking (a go is out), stopping
// (a stop or quit is out and its answer is owed), gone (exited, killed or never started).
enum class EngineState : std::uint8_t { Starting, Ready, Thinking, Stopping, Gone };

enum class EngineFault : std::uint8_t {
    None,
    NotFound,
    CouldNotStart,
    NoUsiOk,
    NoReadyOk,
    NoBestMove,
    NoAnswerToStop,
    Exited,  // the engine closed its output or died
    StoppedReading,
    Garbage,
    CannotPlayVariant,
};

struct EngineEvent {
    enum class Kind : std::uint8_t { Ready, Info, BestMove, Resign, Win, Fault, Warning };
    Kind kind = Kind::Ready;
    std::string move;  // BestMove: the engine's text, unjudged
    EngineFault fault = EngineFault::None;
    std::string message;  // Fault and Warning: a line for the screen and stderr
};

// A USI engine behind a small state machine. Its play never waits on the engine and never
// reads the clock: the caller says what time it is, waits on readDescriptor() and
// nextDeadline(), and calls update(). Only shutdown() (and so the destructor) waits, up to
// the quit timeout; a fault costs at most a moment to collect the engine's exit. Moves go
// out and come back as text; judging them is the caller's business.
class UsiEngine {
  public:
    UsiEngine() = default;
    // Quits the engine (bounded by the quit timeout) and reaps it.
    ~UsiEngine();
    UsiEngine(const UsiEngine&) = delete;
    UsiEngine& operator=(const UsiEngine&) = delete;

    // Finds and starts the engine and sends `usi`; a second start replaces the first engine.
    // On false a Fault event says why and the state is Gone.
    bool start(const EngineSetup& setup, std::int64_t nowMs);

    // Reads what the engine sent and checks the waits; events come out of pollEvent.
    void update(std::int64_t nowMs);
    bool pollEvent(EngineEvent& event);

    // Begins a new game, abandoning any search. Before readyok, or while a stop is answered,
    // usinewgame waits its turn.
    void newGame(std::int64_t nowMs);
    // Searches `sfen` (or startpos) after `moves`. A ready engine starts at once; one still
    // starting, or still answering a stop, starts once it is ready (a later go replaces a
    // waiting one). False while it searches (stop first) and once it is gone.
    bool go(const std::string& sfen, const std::vector<std::string>& moves, const GoTimes& times,
            std::int64_t nowMs);
    // The level's time per move as byoyomi, for a game without a clock and for hints.
    GoTimes levelTimes(int moverSide) const;
    // A search runs no longer than the mover's budget (and a moment's grace): then it is
    // sent `stop`, and the bestmove that answers is the search's answer.
    // Abandons the search: its bestmove, when it comes, is thrown away.
    void stop(std::int64_t nowMs);
    // stop (if searching), then quit; killed at the quit timeout. Gone once reaped.
    void quit(std::int64_t nowMs);
    // quit, waiting for the exit up to the quit timeout, then kill. For leaving the game.
    void shutdown();

    EngineState state() const { return state_; }
    int readDescriptor() const { return process_.readDescriptor(); }
    // When update() must run next even if the engine sends nothing; -1 when nothing waits.
    std::int64_t nextDeadline() const { return deadline_; }

    const std::string& name() const { return name_; }
    const std::vector<EngineOption>& options() const { return options_; }
    bool offers(const std::string& option) const;
    // The last search's progress on its best line, merged over partial info lines.
    const SearchInfo& latestInfo() const;
    // Every line of the last search (`multipv` 1 first), each merged apart from the others.
    const std::vector<SearchInfo>& searchLines() const { return lines_; }
    const std::string& lastLine() const { return lastLine_; }
    int staleBestMovesDropped() const { return staleBestMoves_; }
    int level() const { return setup_.level; }

  private:
    void handleLine(const std::string& line, std::int64_t nowMs);
    void configure(std::int64_t nowMs);
    void becomeReady(std::int64_t nowMs);
    void sendGo(std::int64_t nowMs);
    void send(const std::string& line);
    void fail(EngineFault fault, const std::string& what, bool named = true);
    void endOfOutput();
    void emit(EngineEvent::Kind kind, const std::string& text = std::string());
    void merge(const SearchInfo& info);
    bool takesIncrement() const;

    EngineSetup setup_;
    EngineProcess process_;
    std::string path_;
    EngineState state_ = EngineState::Gone;
    bool readySent_ = false;  // isready is out; readyok ends the start
    bool quitting_ = false;
    bool variantConfirmed_ = false;
    int bestMovesOwed_ = 0;  // by stopped searches
    int staleBestMoves_ = 0;
    bool newGamePending_ = false;
    bool goPending_ = false;
    std::string pendingPosition_;
    GoTimes pendingTimes_;
    std::int64_t deadline_ = -1;
    int searchLimitMs_ = 0;
    std::int64_t searchStartMs_ = 0;
    bool stopOwed_ = false;  // the search has not yet been stopped for running over its time
    std::string name_;
    std::vector<EngineOption> options_;
    std::vector<SearchInfo> lines_;
    std::string lastLine_;
    std::deque<EngineEvent> events_;
};

}  // namespace ixo
