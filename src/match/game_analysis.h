#pragma once

#include <cstdint>
#include <string>

#include "analysis/move_verdict.h"
#include "analysis/record_analyser.h"
#include "engine/usi_engine.h"
#include "match/match.h"
#include "match/player_notice.h"

namespace ixo {

// A: the game's main line analysed in the background, one engine search per position, each
// verdict kept on its node as the evaluation and the comment lines other programs read. The
// window never waits for it: the application wakes on its descriptor and deadline as it does
// for the computer's engine, and the player goes on stepping through the game meanwhile.
//
// It watches the match: a record taken over or a new game ends the analysis, since the nodes
// it writes to belong to the record that was replaced.
class GameAnalysis : public MatchObserver {
  public:
    // `setup` names the engine; `defaultEngine` says the player named none, so a missing one
    // wants the package installed. Each position gets `msPerMove`.
    GameAnalysis(EngineSetup setup, bool defaultEngine, int msPerMove);
    ~GameAnalysis() override;
    GameAnalysis(const GameAnalysis&) = delete;
    GameAnalysis& operator=(const GameAnalysis&) = delete;

    // A pressed: starts on the match's main line, or stops the analysis under way, keeping
    // every verdict it has stored.
    void toggle(Match& match);
    void stop();
    // Once a pass: reads the engine, stores what it answered in the match's record, and tells
    // the match's observers (the record keeper writes the file again).
    void update(Match& match);

    bool running() const { return analyser_.running(); }
    // Positions with a verdict, of all this analysis looks at; 0 of 0 before the first A.
    int done() const { return analyser_.done(); }
    int total() const { return analyser_.total(); }
    // Changes whenever a verdict is stored or the analysis starts or stops, so a view that
    // drew the evaluations knows they are out of date.
    unsigned serial() const { return serial_; }
    // Its line under the board: how far it got, how it ended, or why it failed.
    const PlayerNotice& notice() const { return notice_; }

    int readDescriptor() const { return analyser_.readDescriptor(); }
    // Milliseconds until the engine must be looked at even if it sends nothing; -1 never.
    int msUntilDeadline() const;

    void onMatchEvent(const Match& match, MatchEvent event, const Move& move) override;
    void shutdown() { analyser_.shutdown(); }

  private:
    // "Analysis done: Blue 1 悪手, Red 2 疑問手 1 大悪手" from the labels along the main line.
    std::string summary(const GameRecord& record) const;

    EngineSetup setup_;
    bool defaultEngine_;
    int msPerMove_;
    RecordAnalyser analyser_;
    const GameRecord* record_ = nullptr;  // the record under analysis, for the summary
    int reportedDone_ = -1;
    unsigned serial_ = 0;
    PlayerNotice notice_;
};

}  // namespace ixo
