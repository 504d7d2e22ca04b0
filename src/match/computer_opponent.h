#pragma once

#include <cstdint>
#include <string>

#include "engine/usi_engine.h"
#include "match/match.h"
#include "match/named_player.h"
#include "match/player_notice.h"
#include "shogi/position.h"

namespace ixo {

class ServerPlayer;

// The computer at one side of a game, under either rule set. When its side is to move it hands
// the engine the game so far, and sends the answer to the match as a request, checked by the
// same rules as a click, so nothing the engine says is trusted. Any fault of the engine leaves
// a two-player game behind, whole.
//
// It watches the match so that a take-back or a new game abandons a search whose position is
// gone. What it has to say (its thinking, a failure, a foul) is its own notice, which a view
// reads; it changes nothing but the match.
class ComputerOpponent : public MatchObserver, public NamedPlayer {
  public:
    ComputerOpponent(EngineSetup setup, int side);

    // Under the simple rules the engine is given the shipped variant definition (and one that
    // cannot play it is refused at start).
    ComputerOpponent(EngineSetup setup, int side, RuleSet rules);

    // Starts the engine and waits (bounded by its own timeouts) until it is ready, before any
    // window opens. On false `error` says what to install or pass.
    bool start(std::string& error);
    // Why start() failed: an engine that is not there at all wants installing.
    EngineFault startFault() const { return startFault_; }

    // Once a pass: reads the engine, plays its move, or asks for one when it is its turn.
    void update(Match& match);
    // E: a new engine in place of the old one, failed or not, playing the game as it stands.
    void restart();
    // P: the search stops and its answer is thrown away; once the game goes on, the engine
    // is asked again with the clock as it stands.
    void pause();
    // While held (the player is choosing the next game, say) it owns no turn and asks
    // nothing, with or without a clock to stop; a search under way is dropped as by pause().
    void hold(bool held);
    // Whether the board belongs to the computer now, so a click must not move for it.
    bool ownsTurn(const Match& match) const;
    bool thinking() const { return thinking_; }
    bool playing() const { return playing_; }
    int side() const override { return side_; }
    // On a server the side is the one it gives, known only once a game is offered.
    void setSide(int side) { side_ = side; }
    // On a server its clock is the one that counts, so the engine is paced by it; null: the
    // match's own. Not owned, must outlive the computer or be taken back first.
    void paceBy(const ServerPlayer* server) { server_ = server; }
    // What the engine said of the position it was last asked about.
    const SearchInfo& latestInfo() const { return engine_.latestInfo(); }
    // Who plays the computer's side, for the record: "Fairy-Stockfish 11.1 (level 5)". The
    // engine that played its moves stays named after it failed; one restarted with E names
    // itself again once it is ready.
    const std::string& recordName() const override { return recordName_; }
    // Its line under the board: the search as it goes, why it failed, or the foul it made.
    const PlayerNotice& notice() const { return notice_; }

    // The main loop waits on these as well as on the window's events.
    int readDescriptor() const { return engine_.readDescriptor(); }
    // Milliseconds until the engine must be looked at even if it sends nothing; -1 never.
    int msUntilDeadline() const;

    void onMatchEvent(const Match& match, MatchEvent event, const Move& move) override;

    // Quits the engine, killing it when it will not go; for leaving the game.
    void shutdown() { engine_.shutdown(); }

  private:
    void ask(const Match& match, std::int64_t nowMs);
    void playAnswer(Match& match, const std::string& text);
    void playSimpleAnswer(Match& match, const std::string& text);
    void giveUp(const std::string& why);
    void showThinking(std::int64_t nowMs);
    std::string thinkingLine() const;
    GoTimes timesFor(const Match& match) const;
    void abandonSearch();
    void nameForRecord();

    EngineSetup setup_;
    int side_;
    const ServerPlayer* server_ = nullptr;
    UsiEngine engine_;
    EngineFault startFault_ = EngineFault::None;
    bool playing_ = true;  // false once the engine failed: the game is two players' then
    bool thinking_ = false;
    bool held_ = false;
    std::int64_t now_ = 0;
    PlayerNotice notice_;
    std::string shownLine_;  // the thinking line as last offered
    std::int64_t shownAt_ = 0;
    // Take-back and replay move two plies against the computer; the second one is owed here
    // until the next pass, since the match is telling its observers of the first.
    int takeBacksOwed_ = 0;
    int replaysOwed_ = 0;
    std::string recordName_;
};

}  // namespace ixo
