#pragma once

#include <cstdint>
#include <string>

#include "engine/usi_engine.h"
#include "match/match.h"
#include "match/player_notice.h"
#include "shogi/move.h"

namespace ixo {

class ComputerOpponent;

// H: the engine's best move for the side to move, checked by our rules and shown on the
// board and in words. It has an engine of its own rather than borrowing the opponent's: that
// one plays at the level the player chose (a weak move is a poor hint) and owes its own
// answers across take-backs, which a hint must not disturb. The engine starts at the first
// H, without waiting for it, so a game in which nobody asks never runs one.
//
// It watches the match and publishes the hint and its notice, which a view reads and draws.
class HintEngine : public MatchObserver {
  public:
    // The hint on the board, as square indexes (-1 none): a drop has no origin, and its piece
    // in hand is `drop`, side * 16 + kind (-1 none). The scene reads it to draw the marks.
    struct Shown {
        int from = -1;
        int to = -1;
        int drop = -1;
    };

    // `setup` names the engine and its options; `defaultEngine` says the player named none,
    // so a missing one wants the package installed.
    HintEngine(EngineSetup setup, bool defaultEngine);

    // H pressed: asks for a hint, or takes away the one shown. No hint is given for the
    // `computer`'s turn (null: no computer plays).
    void request(const Match& match, const ComputerOpponent* computer);
    // Once a pass: reads the engine, shows its answer, or clears a hint whose position is gone.
    void update(const Match& match);

    bool busy() const;
    const Shown& shown() const { return board_; }
    // Its line under the board: the hint in words, or why there is none.
    const PlayerNotice& notice() const { return notice_; }
    int readDescriptor() const { return engine_.readDescriptor(); }
    // Milliseconds until the engine must be looked at even if it sends nothing; -1 never.
    int msUntilDeadline() const;

    // Any change of position makes the hint stale; the next update clears it.
    void onMatchEvent(const Match&, MatchEvent event, const Move&) override {
        stale_ = stale_ || event != MatchEvent::Annotated;
    }

    void shutdown() { engine_.shutdown(); }

    // How long the engine thinks about a hint: long enough for a sound move at full
    // strength, short enough that the player is not kept waiting.
    static constexpr int kThinkMs = 1000;

  private:
    void clear();
    void show(const Move& move);
    void say(const std::string& text);

    EngineSetup setup_;
    bool defaultEngine_;
    UsiEngine engine_;
    bool searching_ = false;
    bool shown_ = false;
    bool stale_ = false;
    Shown board_;
    PlayerNotice notice_;
    bool said_ = false;  // whether the notice holds words of the hint's not yet withdrawn
};

}  // namespace ixo
