#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/usi_engine.h"
#include "match/match.h"
#include "match/player_notice.h"
#include "shogi/move.h"

namespace ixo {

// L: the engine's best lines for the position shown, each with its evaluation, updated as
// the engine searches and searched again at every step through the game. Every move of a
// line passes our rules before it is kept; a line that goes wrong is cut before that move.
class LiveAnalysis : public MatchObserver {
  public:
    struct Line {
        std::string score;  // from Blue's side: "+123", "-45", "詰 7" (Blue mates), "被詰 3"
        std::vector<Move> moves;  // as our rules played them from the position
        std::string text;         // the moves in KIF notation, "▲７六歩△３四歩"
    };

    // `setup` names the engine; `defaultEngine` says the player named none.
    LiveAnalysis(EngineSetup setup, bool defaultEngine);
    LiveAnalysis(const LiveAnalysis&) = delete;
    LiveAnalysis& operator=(const LiveAnalysis&) = delete;

    // L pressed: starts on the match's position, or stops and clears the lines.
    void toggle(const Match& match);
    bool on() const { return on_; }
    // Once a pass: reads the engine and searches again after a change of position.
    void update(const Match& match);

    const std::vector<Line>& lines() const { return lines_; }
    // Changes when the lines shown should change; at most a few times a second while the
    // engine reports, so that a view repaints no more often than a player can read.
    unsigned serial() const { return serial_; }
    const PlayerNotice& notice() const { return notice_; }
    int readDescriptor() const { return engine_.readDescriptor(); }
    int msUntilDeadline() const;

    void onMatchEvent(const Match&, MatchEvent event, const Move&) override {
        stale_ = stale_ || event != MatchEvent::Annotated;
    }
    void shutdown() { engine_.shutdown(); }

    static constexpr int kLineCount = 3;
    // One search of a position: long enough to read deep, and then the lines stand.
    static constexpr int kSearchMs = 60000;
    static constexpr int kRepaintMs = 250;

  private:
    void search(const Match& match, std::int64_t now);
    void readLines(const Match& match, std::int64_t now);

    EngineSetup setup_;
    bool defaultEngine_;
    UsiEngine engine_;
    bool on_ = false;
    bool stale_ = false;
    bool searching_ = false;
    std::vector<Line> lines_;
    unsigned serial_ = 0;
    std::int64_t lastRead_ = 0;
    PlayerNotice notice_;
};

}  // namespace ixo
