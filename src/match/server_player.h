#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "clock/game_clock.h"
#include "engine/usi_lines.h"
#include "match/match.h"
#include "net/csa_client.h"

namespace ixo {

// Where a game on a server stands, as the screen tells it.
enum class ServerStatus : std::uint8_t {
    Connecting,  // looking the host up, connecting, logging in
    Waiting,     // logged in, waiting to be paired
    Starting,    // a game offered and agreed; the server's START is owed
    Playing,
    Over,    // the server gave its result
    Failed,  // a fault ended the session; reason() says why
    Left,    // we logged out
};

// One side of a match played by a CSA server: the opponent, and the judge of the game.
//
// It builds the match from the server's offer (its start, names, time control and the moves
// already played), plays the opponent's moves into it once our rules have judged them, and
// sends our side's moves, which reach the match as any player's do (a click, the computer),
// so it takes them from the match rather than being told. It never waits and never reads a
// clock: the caller polls its descriptor and calls update() with the time.
//
// The server is the judge: our rules' view of mate or repetition ends nothing until the server
// gives its result, which becomes the record's end line. A fault ends the game so far with an
// interruption (中断), so its record says it was not finished.
class ServerPlayer {
  public:
    explicit ServerPlayer(CsaLogin login);

    // Starts connecting; false (status Failed, with the reason) when it could not even begin.
    bool start(std::int64_t nowMs);
    // Once a pass, after the players of this pass have made their moves: sends ours, reads
    // the server and brings `match` up to date. True when the match changed.
    bool update(Match& match, std::int64_t nowMs);

    // %TORYO, on either side's turn (the server holds it until ours), and %KACHI on ours.
    bool resign(std::int64_t nowMs);
    bool declareWin(std::int64_t nowMs);
    // Leaving, from wherever we are (Escape, the window closed): a game in progress stays in
    // its record as interrupted, and we log out.
    void leave(Match& match, std::int64_t nowMs);
    // After leave(), with the match gone: reads the server's goodbye, and nothing else.
    void pump(std::int64_t nowMs);
    // Nothing more will come from the server: the session was closed or failed.
    bool finished() const;

    // Floodgate's comment for each of our moves ("* 30 -3334FU +2726FU"), asked for as the
    // move goes out, with the position it leads to; none when unset or empty.
    using CommentSource = std::function<std::string(const Move& move, const Position& after)>;
    void setCommentSource(CommentSource source) { comments_ = std::move(source); }

    ServerStatus status() const { return status_; }
    // One line for the screen: what we wait for, whose move it is, the result (with our rules'
    // view when it differs) or the fault.
    std::string statusLine() const;
    const std::string& reason() const { return reason_; }
    const CsaResult& result() const { return result_; }
    // -1 until a game is offered.
    int ourSide() const { return ourSide_; }
    const std::array<std::string, 2>& names() const { return client_.summary().names; }
    // A move of ours may be made now: the game runs, it is our turn, and nothing of ours is
    // on its way.
    bool ourTurn(const Match& match) const;

    // The server's clocks: what it charged, and the mover's time running since its turn began.
    bool showsClock() const;
    TimeControl control(int side) const;
    TimeLeft left(int side, std::int64_t nowMs) const;
    int clockRunning() const;  // -1 none
    // Until the shown second changes; -1 when no clock runs.
    std::int64_t msUntilClockChange(std::int64_t nowMs) const;

    int readDescriptor() const { return client_.readDescriptor(); }
    short pollEvents() const { return client_.pollEvents(); }
    // Until update() must run though nothing arrives; -1 when nothing waits.
    std::int64_t msUntilDeadline(std::int64_t nowMs) const;

    const CsaClient& client() const { return client_; }

  private:
    void offered(Match& match, std::int64_t nowMs);
    void sendOurs(Match& match, std::int64_t nowMs);
    bool moveArrived(Match& match, const CsaEvent& event);
    void resultArrived(Match& match, const CsaResult& result);
    void failed(Match& match, const std::string& why);
    void interrupt(Match& match);
    void dropUnconfirmed(Match& match);

    CsaLogin login_;
    CsaClient client_;
    ServerStatus status_ = ServerStatus::Connecting;
    std::string reason_;
    CsaResult result_;
    int ourSide_ = -1;
    bool built_ = false;         // the match holds the offered game
    bool sentEnding_ = false;    // a resignation or declaration of ours is out
    bool awaitingEcho_ = false;  // a move of ours is out, its time not yet charged
    int declarer_ = -1;          // who sent %KACHI
    std::string lastRefusal_;    // why our last move could not go out
    CommentSource comments_;
};

// Floodgate's comment for `played`, from the engine's search that chose it: "* 30 -3334FU
// +2726FU", the score in centipawns for Blue (sente), as floodgate's own engine bridge and its
// graphs count it, then the line the engine expects after the move, in CSA. Empty for a
// search with no score in centipawns (a mate) or no line.
std::string floodgateComment(const SearchInfo& search, const Move& played, const Position& after);

// The server's result as our game tells endings: how, and who won (-1 none).
Outcome serverOutcome(const CsaResult& result, int ourSide, int declarer);

}  // namespace ixo
