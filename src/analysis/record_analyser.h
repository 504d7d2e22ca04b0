#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/usi_engine.h"
#include "record/game_tree.h"

namespace ixo {

// Analyses a record's main line in the background: the position before each move and after
// the last, one engine search each, the verdict stored on the node as it comes (its
// evaluation, its line and the comment lines other programs read). It never waits: the caller
// waits on readDescriptor() and nextDeadline() with everything else and calls update(), as it
// does for the engine client it is built on. Every move the engine names passes our rules
// before it is kept.
class RecordAnalyser {
  public:
    enum class State : std::uint8_t {
        Idle,      // nothing asked yet
        Running,   // starting the engine or searching
        Finished,  // every position has its verdict
        Stopped,   // stopped on request; what was done is kept
        Failed,    // the engine failed or talked nonsense; what was done is kept, reason() says
    };

    RecordAnalyser() = default;
    RecordAnalyser(const RecordAnalyser&) = delete;
    RecordAnalyser& operator=(const RecordAnalyser&) = delete;

    // Starts on `record`, which must outlive the analysis and keep its main line while it runs
    // (variations may be added). `setup` names the engine (fairy-stockfish when it names
    // none); it runs at full strength, as the
    // hint does, and under the simple rules with the variant (the shipped definition unless
    // `setup` names one). `msPerMove` is each search's time. An engine from an earlier record
    // is kept when it can serve this one. False, with reason(), when it cannot start.
    bool start(GameRecord& record, const EngineSetup& setup, int msPerMove, std::int64_t nowMs);
    // Reads the engine and moves on; call it when the descriptor is readable or the deadline
    // has come, and whenever convenient.
    void update(std::int64_t nowMs);
    // Stops the search under way; every verdict already stored stays. The engine is kept for
    // the next start.
    void stop(std::int64_t nowMs);
    // Ends the engine, waiting at most its quit timeout. For leaving.
    void shutdown() { engine_.shutdown(); }

    State state() const { return state_; }
    bool running() const { return state_ == State::Running; }
    // Positions with a verdict of this analysis, and all it will look at.
    int done() const { return next_; }
    int total() const { return static_cast<int>(nodes_.size()); }
    // The search time the engine itself reported, summed over this analysis: the wall time
    // beyond it is the cost of asking and answering.
    std::int64_t engineReportedMs() const { return engineReportedMs_; }
    // Why the analysis failed (or could not start), in a player's words.
    const std::string& reason() const { return reason_; }
    // Warnings along the way (an engine option it does not have, a line cut short).
    std::vector<std::string> takeWarnings();

    int readDescriptor() const { return engine_.readDescriptor(); }
    std::int64_t nextDeadline() const { return engine_.nextDeadline(); }

  private:
    void askNext(std::int64_t nowMs);
    void record(const SearchInfo& info, const std::string& bestMove, bool resigned, bool won);
    void store(RecordNode& node, Evaluation evaluation);
    void fail(const std::string& why);

    UsiEngine engine_;
    EngineSetup setup_;
    RuleSet engineRules_ = RuleSet::Simple;
    GameRecord* record_ = nullptr;
    std::vector<RecordNode*> nodes_;
    int next_ = 0;
    int msPerMove_ = 1000;
    std::int64_t engineReportedMs_ = 0;
    bool searching_ = false;
    // False once the engine named a move the rules refuse: it is not kept for another record.
    bool engineTrusted_ = true;
    State state_ = State::Idle;
    std::string reason_;
    std::vector<std::string> warnings_;
};

}  // namespace ixo
