#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "net/csa_time.h"
#include "net/game_summary.h"
#include "net/tcp_channel.h"
#include "shogi/move.h"
#include "shogi/standard_rules.h"

namespace ixo {

// Every wait on a server, by name, scaled by one factor (slow machines, sanitizers, tests).
// Waiting to be paired has no limit: a player may wait as long as they like and leave with
// logout().
struct CsaTimeouts {
    int connectMs = 10000;
    int loginMs = 10000;       // LOGIN until its answer
    int summaryMs = 10000;     // BEGIN Game_Summary until its END
    int startMs = 60000;       // AGREE until START: the opponent may be a person deciding
    int echoMs = 10000;        // our move until the server sends it back with its time
    int moveMarginMs = 30000;  // beyond the opponent's whole budget before the server is silent
    int resultMs = 10000;      // a result's reason line until its outcome line
    int logoutMs = 5000;       // LOGOUT until LOGOUT:completed, then we close anyway
    int keepAliveMs = 30000;   // a quiet connection gets an empty line this often
    double factor = 1.0;

    int scaled(int ms) const;
};

// Who we are and where. The password goes to the server in the LOGIN line and nowhere else:
// no event, message or error carries it, even when a server sends it back.
struct CsaLogin {
    std::string host;
    int port = 4081;
    std::string user;
    std::string password;
    CsaTimeouts timeouts;
};

// The session: connecting, logging in, waiting to be paired, a game offered (the summary is
// in), agreed (START is owed), playing, the game over (a result is in), logging out, closed
// (by logout or by the server after the game), failed (a fault ended it).
enum class CsaState : std::uint8_t {
    Idle,
    Connecting,
    LoggingIn,
    Waiting,
    Offered,
    Agreed,
    Playing,
    GameOver,
    LoggingOut,
    Closed,
    Failed,
};

enum class CsaFault : std::uint8_t {
    None,
    BadLogin,  // a name or password the protocol cannot carry
    CouldNotConnect,
    LoginRefused,
    Rejected,  // the game was rejected, by us or by the opponent
    Dropped,   // the server closed the connection before the game was over
    Garbage,
    Silent,
    StoppedReading,
};

// What the server ended the game with: the outcome line and the reason before it.
enum class CsaOutcome : std::uint8_t { Win, Lose, Draw, Censored, Interrupted };
enum class CsaReason : std::uint8_t {
    None,
    Resign,
    TimeUp,
    IllegalMove,
    Sennichite,
    OuteSennichite,
    Jishogi,
    MaxMoves,
    Chudan,
};

struct CsaResult {
    CsaOutcome outcome = CsaOutcome::Interrupted;
    CsaReason reason = CsaReason::None;
    // Our rules' reading of the same ending, when they read it differently from the server:
    // "our rules see no repetition". Empty when they agree or have no view.
    std::string ourRulesSay;
    bool disagrees() const { return !ourRulesSay.empty(); }
};

struct CsaEvent {
    enum class Kind : std::uint8_t {
        LoggedIn,
        GameOffered,  // summary() holds it; agree() or reject()
        GameStarted,
        Move,         // a move confirmed by the server, ours or the opponent's
        SpecialMove,  // %TORYO or %KACHI, as the server passes it on
        Result,
        LoggedOut,
        Fault,
    };
    Kind kind = Kind::LoggedIn;
    // Move and SpecialMove: the mover, whether it is ours and the text ("+7776FU", "%TORYO").
    int side = -1;
    bool ours = false;
    std::string text;
    // Move: the move as our rules played it. A move they refuse is not played: `refusal`
    // says why (or Refusal::None with `message` for a move the notation itself rules out).
    MoveRequest request;
    Move move;
    Refusal refusal = Refusal::None;
    bool refused = false;
    // Move: how our rules see the game end with this move (mate, repetition), though the
    // server may play on; none for every other move.
    Outcome ourEnding;
    // Move: what the server charged it, and both sides' time left after it.
    std::int64_t chargedMs = 0;
    std::array<std::int64_t, 2> remainingMs{};
    CsaResult result;
    CsaFault fault = CsaFault::None;
    std::string message;  // Fault, refused moves, and a disagreement: a line for the screen
};

// A CSA server session (protocol 1.2.1) behind a small state machine, on the model of
// UsiEngine: it never waits and never reads the clock. The caller says what time it is,
// polls readDescriptor() for pollEvents() and waits no longer than nextDeadline(), then calls
// update(). Every move the server sends is judged by our rules before it is reported; the
// server stays the judge of the result, and where our rules read the ending differently,
// the result says so.
class CsaClient {
  public:
    CsaClient() = default;
    ~CsaClient() { close(); }
    CsaClient(const CsaClient&) = delete;
    CsaClient& operator=(const CsaClient&) = delete;

    // Starts connecting and logs in once connected. On false a Fault event says why and
    // nothing was sent; every later fault comes as an event from update().
    bool start(const CsaLogin& login, std::int64_t nowMs);
    void update(std::int64_t nowMs);
    bool pollEvent(CsaEvent& event);

    // Requests. Each is refused (false) where the protocol has no place for it.
    bool agree(std::int64_t nowMs);   // Offered: AGREE, then START is owed
    bool reject(std::int64_t nowMs);  // Offered: REJECT, then REJECT:... is owed
    // Playing, our turn, no move of ours unanswered: judges `request` by our rules and sends
    // it. `comment` (floodgate's "* 30 -3334FU +2726FU") goes after the move when not empty.
    bool sendMove(const MoveRequest& request, std::int64_t nowMs, Refusal* why = nullptr,
                  const std::string& comment = std::string());
    // %TORYO while playing; sent on the opponent's turn, shogi-server holds it until ours.
    bool resign(std::int64_t nowMs);
    bool declareWin(std::int64_t nowMs);  // %KACHI, on our turn
    // Leaves from wherever we are: LOGOUT when logged in (closed at LOGOUT:completed or the
    // logout timeout), at once while connecting. Escape while waiting to be paired is this.
    void logout(std::int64_t nowMs);
    // Closes the connection now, with no word to the server.
    void close();

    CsaState state() const { return state_; }
    int readDescriptor() const { return channel_.readDescriptor(); }
    short pollEvents() const { return channel_.pollEvents(); }
    // When update() must run next even if nothing arrives; -1 when nothing waits.
    std::int64_t nextDeadline() const;

    const GameSummary& summary() const { return summary_; }
    // The game as our rules follow it: the summary's start, every move played since (those
    // of the summary included) and the position they lead to.
    const Position& startPosition() const { return summary_.start; }
    const std::vector<Move>& moves() const { return moves_; }
    const Position& position() const { return position_; }
    // How our rules see the game ended (a mate, a repetition), the server's word aside; none
    // while they see it go on.
    const Outcome& ourEnding() const { return ourEnding_; }
    const CsaClock& clock() const { return clock_; }
    int ourSide() const { return summary_.ourSide; }
    bool ourTurn() const;
    // When the side to move began thinking as the server counts it (our clock's reading of
    // the START line or the last move), for a live clock: remaining minus what chargeFor()
    // of the time since then would take.
    std::int64_t turnStartedMs() const { return turnStartedMs_; }

  private:
    void loggingIn(std::int64_t nowMs);
    void handleLine(const std::string& line, std::int64_t nowMs);
    void handlePlayLine(const std::string& line, std::int64_t nowMs);
    void handleMove(const std::string& line, std::int64_t nowMs);
    void handleSpecial(const std::string& line, std::int64_t nowMs);
    void handleResultLine(const std::string& line, std::int64_t nowMs);
    void summaryArrived(std::int64_t nowMs);
    // AGREE or REJECT with the offered game's ID, while the offer stands.
    bool answerOffer(const char* word, std::int64_t nowMs);
    // %TORYO or %KACHI, once the caller has judged it has its place.
    bool sendSpecial(const char* word, std::int64_t nowMs);
    // Plays a legal move on our position; `ending` is set when our rules see the game end
    // with it.
    bool play(const MoveRequest& request, Move& made, Refusal& why, Outcome& ending);
    void judgeEnding(CsaResult& result) const;
    void send(const std::string& line, std::int64_t nowMs);
    void fail(CsaFault fault, const std::string& why);
    void garbage(const std::string& line, const std::string& why = std::string());
    void connectionClosed();
    void emit(CsaEvent event);
    void emitKind(CsaEvent::Kind kind);
    // What the server sent, fit to be shown: no control bytes, no password, not too long.
    std::string shown(const std::string& line) const;
    void setDeadline(std::int64_t nowMs, int ms);

    CsaLogin login_;
    TcpChannel channel_;
    CsaState state_ = CsaState::Idle;
    std::int64_t deadline_ = -1;
    std::int64_t lastTrafficMs_ = 0;
    GameSummaryReader summaryReader_;
    bool readingSummary_ = false;
    GameSummary summary_;
    Position position_;
    std::vector<Move> moves_;
    StandardGame judge_;  // for mate and repetition, until it sees the game end
    Outcome ourEnding_;
    CsaClock clock_;
    std::int64_t turnStartedMs_ = 0;
    std::string pendingMove_;      // ours, sent, not yet confirmed
    bool pendingSpecial_ = false;  // a %TORYO or %KACHI is out or in: the result is owed
    bool ourSpecial_ = false;      // we sent it
    std::string specialSeen_;      // the one the server passed on
    int declarer_ = -1;            // who sent %KACHI
    std::string illegalMove_;      // ours, that the server called illegal, if any
    bool outOfStep_ = false;       // our rules refused a move the server took: no more judging
    CsaReason reason_ = CsaReason::None;
    std::deque<CsaEvent> events_;
};

// "#RESIGN" and the rest in plain words, for the screen: "resignation", "time up".
const char* csaReasonText(CsaReason reason);

}  // namespace ixo
