#include "net/csa_client.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "shogi/csa_notation.h"

namespace ixo {

namespace {

// A server that floods us must not hold the game's frame: the rest is read on the next pass,
// which comes at once since the socket is still readable.
constexpr int kMaxLinesPerUpdate = 2000;

std::string seconds(int ms) {
    const double value = ms / 1000.0;
    char text[32];
    snprintf(text, sizeof text, value == std::floor(value) ? "%.0f s" : "%.1f s", value);
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The protocol's user names: letters, digits, '_' and '-', up to 32.
bool validUser(const std::string& user) {
    if (user.empty() || user.size() > 32) {
        return false;
    }
    for (const char c : user) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A password is one word of printable ASCII: a space would shift it into another field and
// a line break would make a line of its own.
bool validPassword(const std::string& password) {
    if (password.empty()) {
        return false;
    }
    for (const char c : password) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f) {
            return false;
        }
    }
    return true;
}

bool printableLine(const std::string& line) {
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            return false;
        }
    }
    return true;
}

// The fields after a move's text: ",T12" for the time it cost, and a comment (",'...") that
// runs to the end of the line, commas and all. False for anything else.
bool readMoveTime(const std::string& line, std::size_t field, long long& units) {
    units = 0;
    while (field < line.size()) {
        const std::size_t next = line.find(',', field + 1);
        const std::string part =
            line.substr(field + 1, next == std::string::npos ? next : next - field - 1);
        if (!part.empty() && part[0] == '\'') {
            return true;
        }
        if (part.size() < 2 || part.size() > 10 || part[0] != 'T' ||
            part.find_first_not_of("0123456789", 1) != std::string::npos) {
            return false;
        }
        units = std::stoll(part.substr(1));
        field = next == std::string::npos ? line.size() : next;
    }
    return true;
}

}  // namespace

int CsaTimeouts::scaled(int ms) const {
    const double value = std::round(ms * factor);
    return value < 1 ? 1 : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

const char* csaReasonText(CsaReason reason) {
    switch (reason) {
        case CsaReason::None:
            return "no reason given";
        case CsaReason::Resign:
            return "resignation";
        case CsaReason::TimeUp:
            return "time up";
        case CsaReason::IllegalMove:
            return "an illegal move";
        case CsaReason::Sennichite:
            return "repetition (sennichite)";
        case CsaReason::OuteSennichite:
            return "perpetual check";
        case CsaReason::Jishogi:
            return "a declaration (jishogi)";
        case CsaReason::MaxMoves:
            return "the move limit";
        case CsaReason::Chudan:
            return "the game was interrupted";
    }
    return "";
}

bool CsaClient::start(const CsaLogin& login, std::int64_t nowMs) {
    close();
    events_.clear();
    login_ = login;
    summary_ = GameSummary{};
    position_ = Position::start();
    moves_.clear();
    judge_ = StandardGame();
    ourEnding_ = Outcome{};
    clock_ = CsaClock();
    readingSummary_ = false;
    pendingMove_.clear();
    pendingSpecial_ = false;
    ourSpecial_ = false;
    specialSeen_.clear();
    declarer_ = -1;
    illegalMove_.clear();
    outOfStep_ = false;
    reason_ = CsaReason::None;
    lastTrafficMs_ = nowMs;
    if (!validUser(login_.user)) {
        fail(CsaFault::BadLogin, "the user name must be 1 to 32 letters, digits, '_' or '-'");
        return false;
    }
    if (!validPassword(login_.password)) {
        fail(CsaFault::BadLogin, "the password must be one word of printable ASCII characters");
        return false;
    }
    state_ = CsaState::Connecting;
    std::string error;
    const CsaTimeouts& timeouts = login_.timeouts;
    setDeadline(nowMs, timeouts.connectMs);
    if (!channel_.connect(login_.host, login_.port, nowMs,
                          nowMs + timeouts.scaled(timeouts.connectMs), error)) {
        fail(CsaFault::CouldNotConnect, error);
        return false;
    }
    if (channel_.state() == TcpChannel::State::Open) {
        loggingIn(nowMs);
    }
    // What the server answers is read in update(), so a fault there is an event after a true.
    return state_ != CsaState::Failed;
}

void CsaClient::loggingIn(std::int64_t nowMs) {
    state_ = CsaState::LoggingIn;
    send("LOGIN " + login_.user + " " + login_.password, nowMs);
    if (state_ == CsaState::LoggingIn) {
        setDeadline(nowMs, login_.timeouts.loginMs);
    }
}

void CsaClient::update(std::int64_t nowMs) {
    if (state_ == CsaState::Idle || state_ == CsaState::Closed || state_ == CsaState::Failed) {
        return;
    }
    const CsaTimeouts& timeouts = login_.timeouts;
    if (state_ == CsaState::Connecting) {
        std::string error;
        if (!channel_.update(nowMs, error)) {
            fail(CsaFault::CouldNotConnect, error);
            return;
        }
        if (channel_.state() != TcpChannel::State::Open) {
            return;
        }
        loggingIn(nowMs);
    }
    std::string line;
    for (int count = 0; count < kMaxLinesPerUpdate; ++count) {
        if (state_ == CsaState::Closed || state_ == CsaState::Failed) {
            return;
        }
        const TcpChannel::Read read = channel_.readLine(line);
        if (read == TcpChannel::Read::NothingYet) {
            break;
        }
        if (read == TcpChannel::Read::Closed) {
            connectionClosed();
            return;
        }
        lastTrafficMs_ = nowMs;
        if (read == TcpChannel::Read::Overlong) {
            fail(CsaFault::Garbage, "the server sent a line longer than any line of the protocol");
            return;
        }
        handleLine(line, nowMs);
    }
    if (state_ == CsaState::Closed || state_ == CsaState::Failed) {
        return;
    }
    if (!channel_.flush()) {
        connectionClosed();
        return;
    }
    const bool keptAlive = state_ != CsaState::LoggingIn && state_ != CsaState::LoggingOut;
    if (keptAlive && nowMs - lastTrafficMs_ >= timeouts.keepAliveMs) {
        // An idle connection is dropped by routers on the way, and floodgate drops a client
        // that says nothing; an empty line is the protocol's way to say "still here".
        send("", nowMs);
    }
    if (deadline_ < 0 || nowMs < deadline_) {
        return;
    }
    switch (state_) {
        case CsaState::LoggingIn:
            fail(CsaFault::Silent, "the server did not answer the login within " +
                                       seconds(timeouts.scaled(timeouts.loginMs)));
            return;
        case CsaState::Waiting:
            if (readingSummary_) {
                fail(CsaFault::Silent, "the server did not finish the game summary within " +
                                           seconds(timeouts.scaled(timeouts.summaryMs)));
            }
            return;
        case CsaState::Agreed:
            fail(CsaFault::Silent, "the server did not start the game within " +
                                       seconds(timeouts.scaled(timeouts.startMs)) +
                                       " of our agreement");
            return;
        case CsaState::Playing:
            if (reason_ != CsaReason::None || pendingSpecial_) {
                fail(CsaFault::Silent, "the server did not finish the game's result within " +
                                           seconds(timeouts.scaled(timeouts.resultMs)));
            } else if (!pendingMove_.empty()) {
                fail(CsaFault::Silent, "the server did not confirm our move " + pendingMove_ +
                                           " within " + seconds(timeouts.scaled(timeouts.echoMs)));
            } else {
                fail(CsaFault::Silent, "the server sent nothing for " +
                                           seconds(timeouts.scaled(timeouts.moveMarginMs)) +
                                           " beyond the mover's whole time");
            }
            return;
        case CsaState::LoggingOut:
            // It had its chance to say goodbye.
            channel_.close();
            state_ = CsaState::Closed;
            deadline_ = -1;
            emitKind(CsaEvent::Kind::LoggedOut);
            return;
        default:
            deadline_ = -1;
            return;
    }
}

bool CsaClient::pollEvent(CsaEvent& event) {
    if (events_.empty()) {
        return false;
    }
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

std::int64_t CsaClient::nextDeadline() const {
    switch (state_) {
        case CsaState::Idle:
        case CsaState::Closed:
        case CsaState::Failed:
            return -1;
        case CsaState::Connecting:
        case CsaState::LoggingIn:
        case CsaState::LoggingOut:
            return deadline_;
        default:
            break;
    }
    const std::int64_t keepAlive = lastTrafficMs_ + login_.timeouts.keepAliveMs;
    return deadline_ < 0 || keepAlive < deadline_ ? keepAlive : deadline_;
}

bool CsaClient::ourTurn() const {
    return state_ == CsaState::Playing && position_.sideToMove == summary_.ourSide;
}

void CsaClient::handleLine(const std::string& line, std::int64_t nowMs) {
    if (!printableLine(line)) {
        garbage(line, "control bytes or bytes that are not ASCII");
        return;
    }
    // A server's own keep-alive, and the x1 extension's chatter, which CSA mode ignores.
    if (line.empty() || startsWith(line, "##")) {
        return;
    }
    if (readingSummary_) {
        std::string error;
        if (!summaryReader_.readLine(line, error)) {
            fail(CsaFault::Garbage,
                 "the server sent a game summary that cannot be read: " + shown(error));
            return;
        }
        if (summaryReader_.done()) {
            summaryArrived(nowMs);
        }
        return;
    }
    switch (state_) {
        case CsaState::LoggingIn:
            if (line == "LOGIN:" + login_.user + " OK") {
                state_ = CsaState::Waiting;
                deadline_ = -1;
                emitKind(CsaEvent::Kind::LoggedIn);
            } else if (line == "LOGIN:incorrect") {
                fail(CsaFault::LoginRefused, "the server refused the login of " + login_.user +
                                                 ": the name or the password is wrong");
            } else {
                garbage(line);
            }
            return;
        case CsaState::Waiting:
            if (line == "BEGIN Game_Summary") {
                summaryReader_ = GameSummaryReader();
                readingSummary_ = true;
                setDeadline(nowMs, login_.timeouts.summaryMs);
            } else {
                garbage(line);
            }
            return;
        case CsaState::Offered:
        case CsaState::Agreed:
            if (startsWith(line, "REJECT:" + summary_.gameId + " by ")) {
                const std::string by = line.substr(8 + summary_.gameId.size() + 3);
                fail(CsaFault::Rejected, by == login_.user
                                             ? "we rejected the game"
                                             : "the game was rejected by " + shown(by));
            } else if (state_ == CsaState::Agreed && line == "START:" + summary_.gameId) {
                state_ = CsaState::Playing;
                turnStartedMs_ = nowMs;
                deadline_ = -1;
                emitKind(CsaEvent::Kind::GameStarted);
                const int mover = position_.sideToMove;
                if (clock_.control(mover).limited()) {
                    setDeadline(nowMs, login_.timeouts.moveMarginMs);
                    deadline_ += clock_.budgetMs(mover);
                }
            } else {
                garbage(line);
            }
            return;
        case CsaState::Playing:
            handlePlayLine(line, nowMs);
            return;
        case CsaState::LoggingOut:
            if (line == "LOGOUT:completed") {
                channel_.close();
                state_ = CsaState::Closed;
                deadline_ = -1;
                emitKind(CsaEvent::Kind::LoggedOut);
            }
            // Whatever else comes before the goodbye (a result, a move) is past caring about.
            return;
        case CsaState::GameOver:
            // Lines after the outcome (a second outcome line after #CHUDAN, say) change
            // nothing: the result is in.
            return;
        default:
            garbage(line);
            return;
    }
}

void CsaClient::handlePlayLine(const std::string& line, std::int64_t nowMs) {
    if (line[0] == '#') {
        handleResultLine(line, nowMs);
    } else if (line[0] == '%') {
        handleSpecial(line, nowMs);
    } else if (line[0] == '+' || line[0] == '-') {
        handleMove(line, nowMs);
    } else {
        garbage(line);
    }
}

void CsaClient::handleMove(const std::string& line, std::int64_t nowMs) {
    if (reason_ != CsaReason::None || pendingSpecial_) {
        garbage(line, "a move after the game's end began");
        return;
    }
    // "+7776FU,T12", and perhaps floodgate's ",'* 30 ..." comment after it.
    const std::string text = line.substr(0, line.find(','));
    long long units = 0;
    if (!readMoveTime(line, text.size(), units)) {
        garbage(line, "a move's time that cannot be read");
        return;
    }
    if (text.size() != 7) {
        garbage(line);
        return;
    }
    CsaEvent event;
    event.kind = CsaEvent::Kind::Move;
    event.side = text[0] == '+' ? 0 : 1;
    event.ours = event.side == summary_.ourSide;
    event.text = text;
    if (event.ours) {
        if (pendingMove_ != text) {
            garbage(line, pendingMove_.empty() ? "a move of ours that we never sent"
                                               : "a move of ours other than " + pendingMove_);
            return;
        }
        pendingMove_.clear();
    } else if (!pendingMove_.empty()) {
        garbage(line, "the opponent's move while ours, " + pendingMove_ + ", was unanswered");
        return;
    }
    if (outOfStep_) {
        event.refused = true;
        event.message = "the server sent " + text + " after a move our rules refused";
    } else {
        std::string error;
        if (!parseCsaMove(position_, text, event.request, error)) {
            event.refused = true;
            event.message = "the server sent a move our rules refuse: " + error;
        } else if (!play(event.request, event.move, event.refusal, event.ourEnding)) {
            event.refused = true;
            event.message = "the server sent " + text +
                            ", which our rules refuse: " + refusalText(event.refusal);
        }
    }
    if (event.refused) {
        // The board is no longer the server's: nothing after this can be judged.
        outOfStep_ = true;
    }
    event.chargedMs = clock_.charge(event.side, units);
    event.remainingMs = {clock_.remainingMs(0), clock_.remainingMs(1)};
    turnStartedMs_ = nowMs;
    deadline_ = -1;
    const int mover = 1 - event.side;
    if (clock_.control(mover).limited()) {
        setDeadline(nowMs, login_.timeouts.moveMarginMs);
        deadline_ += clock_.budgetMs(mover);
    }
    emit(std::move(event));
}

void CsaClient::handleSpecial(const std::string& line, std::int64_t nowMs) {
    const std::string text = line.substr(0, line.find(','));
    long long units = 0;
    if ((text != "%TORYO" && text != "%KACHI") || !readMoveTime(line, text.size(), units)) {
        garbage(line);
        return;
    }
    // shogi-server passes a declaration on twice, first with its time and then again before
    // the result; the second is the same declaration, not another one.
    if (text == specialSeen_) {
        return;
    }
    if (!specialSeen_.empty()) {
        garbage(line, "a second special move");
        return;
    }
    specialSeen_ = text;
    CsaEvent event;
    event.kind = CsaEvent::Kind::SpecialMove;
    event.text = text;
    // shogi-server passes on the resignation of a player who left as much as one who
    // resigned on their turn, so ours is the one we sent, not the side to move.
    event.ours = ourSpecial_;
    event.side = event.ours ? summary_.ourSide : 1 - summary_.ourSide;
    if (text == "%KACHI") {
        declarer_ = event.side;
    }
    event.chargedMs = clock_.charge(event.side, units);
    event.remainingMs = {clock_.remainingMs(0), clock_.remainingMs(1)};
    pendingSpecial_ = true;
    setDeadline(nowMs, login_.timeouts.resultMs);
    emit(std::move(event));
}

void CsaClient::handleResultLine(const std::string& line, std::int64_t nowMs) {
    static const struct {
        const char* line;
        CsaReason reason;
    } kReasons[] = {
        {"#RESIGN", CsaReason::Resign},
        {"#TIME_UP", CsaReason::TimeUp},
        {"#ILLEGAL_MOVE", CsaReason::IllegalMove},
        {"#SENNICHITE", CsaReason::Sennichite},
        {"#OUTE_SENNICHITE", CsaReason::OuteSennichite},
        {"#JISHOGI", CsaReason::Jishogi},
        {"#MAX_MOVES", CsaReason::MaxMoves},
        {"#CHUDAN", CsaReason::Chudan},
    };
    for (const auto& known : kReasons) {
        if (line == known.line) {
            if (reason_ != CsaReason::None) {
                garbage(line, "a second reason for the game's end");
                return;
            }
            reason_ = known.reason;
            if (reason_ == CsaReason::IllegalMove) {
                illegalMove_ = pendingMove_;
            }
            if (reason_ != CsaReason::Chudan) {
                setDeadline(nowMs, login_.timeouts.resultMs);
                return;
            }
            // An interrupted game has no winner, and the server says no more about it.
            CsaEvent event;
            event.kind = CsaEvent::Kind::Result;
            event.result.outcome = CsaOutcome::Interrupted;
            event.result.reason = reason_;
            state_ = CsaState::GameOver;
            deadline_ = -1;
            emit(std::move(event));
            return;
        }
    }
    CsaEvent event;
    event.kind = CsaEvent::Kind::Result;
    if (line == "#WIN") {
        event.result.outcome = CsaOutcome::Win;
    } else if (line == "#LOSE") {
        event.result.outcome = CsaOutcome::Lose;
    } else if (line == "#DRAW") {
        event.result.outcome = CsaOutcome::Draw;
    } else if (line == "#CENSORED") {
        event.result.outcome = CsaOutcome::Censored;
    } else {
        garbage(line);
        return;
    }
    event.result.reason = reason_;
    judgeEnding(event.result);
    event.message = event.result.ourRulesSay;
    state_ = CsaState::GameOver;
    deadline_ = -1;
    pendingMove_.clear();
    pendingSpecial_ = false;
    emit(std::move(event));
}

void CsaClient::judgeEnding(CsaResult& result) const {
    const Outcome& ours = ourEnding_;
    const int us = summary_.ourSide;
    // The side the server names the winner, -1 for no winner.
    const int winner = result.outcome == CsaOutcome::Win    ? us
                       : result.outcome == CsaOutcome::Lose ? 1 - us
                                                            : -1;
    switch (result.reason) {
        case CsaReason::Sennichite:
            if (ours.how != GameEnd::Repetition) {
                result.ourRulesSay = "our rules see no fourfold repetition";
            }
            return;
        case CsaReason::OuteSennichite:
            if (ours.how != GameEnd::PerpetualCheck) {
                result.ourRulesSay = "our rules see no perpetual check";
            } else if (ours.winner != winner) {
                result.ourRulesSay = "our rules see the perpetual check the other way round";
            }
            return;
        case CsaReason::Jishogi:
        case CsaReason::IllegalMove: {
            if (declarer_ >= 0 && !outOfStep_) {
                Position declared = position_;
                declared.sideToMove = declarer_;
                const bool wins = impasseDeclarationWins(declared);
                if (wins && winner != declarer_) {
                    result.ourRulesSay = "our rules count the declaration as a win";
                } else if (!wins && winner == declarer_) {
                    result.ourRulesSay = "our rules count the declaration as a loss";
                }
                return;
            }
            // A move of ours the server called illegal had passed our rules before it went.
            if (result.reason == CsaReason::IllegalMove && !illegalMove_.empty() && winner != us) {
                result.ourRulesSay = "our rules allow our move " + illegalMove_;
            }
            return;
        }
        case CsaReason::MaxMoves:
            if (summary_.maxMoves > 0 && static_cast<int>(moves_.size()) < summary_.maxMoves) {
                result.ourRulesSay = "our rules count " + std::to_string(moves_.size()) +
                                     " moves, fewer than the limit of " +
                                     std::to_string(summary_.maxMoves);
            }
            return;
        default:
            return;
    }
}

void CsaClient::summaryArrived(std::int64_t nowMs) {
    readingSummary_ = false;
    deadline_ = -1;
    GameSummary summary;
    std::string error;
    if (!summaryReader_.finish(summary, error)) {
        fail(CsaFault::Garbage,
             "the server sent a game summary that cannot be read: " + shown(error));
        return;
    }
    if (!validatePosition(summary.start, error)) {
        fail(CsaFault::Garbage, "the game summary's position cannot be played: " + shown(error));
        return;
    }
    summary_ = summary;
    position_ = summary_.start;
    moves_.clear();
    judge_ = StandardGame(summary_.start);
    ourEnding_ = Outcome{};
    clock_.start(summary_.time);
    for (std::size_t index = 0; index < summary_.moves.size(); ++index) {
        const CsaPlayedMove& played = summary_.moves[index];
        MoveRequest request;
        Refusal why = Refusal::None;
        const int mover = position_.sideToMove;
        Move made;
        Outcome ending;
        if (!parseCsaMove(position_, played.text, request, error) ||
            !play(request, made, why, ending)) {
            fail(CsaFault::Garbage, "the game summary's move " + std::to_string(index + 1) + ", " +
                                        shown(played.text) + ", cannot be played: " +
                                        (why != Refusal::None ? refusalText(why) : shown(error)));
            return;
        }
        if (played.units >= 0) {
            clock_.charge(mover, played.units);
        }
    }
    if (position_.sideToMove != summary_.toMove) {
        fail(CsaFault::Garbage,
             "the game summary's To_Move is not the side to move after its "
             "moves");
        return;
    }
    state_ = CsaState::Offered;
    (void)nowMs;
    emitKind(CsaEvent::Kind::GameOffered);
}

bool CsaClient::play(const MoveRequest& request, Move& made, Refusal& why, Outcome& ending) {
    if (!playStandardMove(position_, request, &made, &why)) {
        return false;
    }
    moves_.push_back(made);
    // The rules' own view of the ending goes with the move that reached it; after it the
    // judge has nothing more to say, while the server may play on.
    if (!judge_.outcome().over() && judge_.play(request) && judge_.outcome().over()) {
        ourEnding_ = judge_.outcome();
        ending = ourEnding_;
    }
    return true;
}

bool CsaClient::agree(std::int64_t nowMs) {
    return answerOffer("AGREE", nowMs);
}

bool CsaClient::reject(std::int64_t nowMs) {
    return answerOffer("REJECT", nowMs);
}

bool CsaClient::answerOffer(const char* word, std::int64_t nowMs) {
    if (state_ != CsaState::Offered) {
        return false;
    }
    send(std::string(word) + " " + summary_.gameId, nowMs);
    // Either answer is followed by the server's word on the game (START, or REJECT with who
    // rejected it), owed within the same wait; a send that failed has already ended us.
    if (state_ == CsaState::Offered) {
        state_ = CsaState::Agreed;
        setDeadline(nowMs, login_.timeouts.startMs);
    }
    return true;
}

bool CsaClient::sendMove(const MoveRequest& request, std::int64_t nowMs, Refusal* why,
                         const std::string& comment) {
    if (why) {
        *why = Refusal::None;
    }
    if (!ourTurn() || !pendingMove_.empty() || pendingSpecial_ || reason_ != CsaReason::None ||
        outOfStep_) {
        return false;
    }
    // Our rules may see the game over (a repetition, say) where the server plays on; the
    // server is the judge, so only the move itself is judged here.
    const Refusal refusal = judgeMove(position_, request);
    if (refusal != Refusal::None) {
        if (why) {
            *why = refusal;
        }
        return false;
    }
    const std::string text = csaMove(position_, request);
    std::string line = text;
    if (!comment.empty()) {
        // The comment rides on the move's line, so nothing in it may end the line or be
        // taken for another field.
        line += ",'";
        for (const char c : comment) {
            const auto byte = static_cast<unsigned char>(c);
            line += byte >= 0x20 && byte < 0x7f ? c : ' ';
        }
    }
    pendingMove_ = text;
    send(line, nowMs);
    if (state_ == CsaState::Playing) {
        setDeadline(nowMs, login_.timeouts.echoMs);
    }
    return true;
}

bool CsaClient::resign(std::int64_t nowMs) {
    if (state_ != CsaState::Playing || pendingSpecial_ || reason_ != CsaReason::None) {
        return false;
    }
    return sendSpecial("%TORYO", nowMs);
}

bool CsaClient::declareWin(std::int64_t nowMs) {
    if (!ourTurn() || !pendingMove_.empty() || pendingSpecial_ || reason_ != CsaReason::None) {
        return false;
    }
    return sendSpecial("%KACHI", nowMs);
}

bool CsaClient::sendSpecial(const char* word, std::int64_t nowMs) {
    pendingSpecial_ = true;
    ourSpecial_ = true;
    send(word, nowMs);
    // The server owes its echo, or the result that the word brings about.
    if (state_ == CsaState::Playing) {
        setDeadline(nowMs, login_.timeouts.echoMs);
    }
    return true;
}

void CsaClient::logout(std::int64_t nowMs) {
    switch (state_) {
        case CsaState::Idle:
        case CsaState::Closed:
        case CsaState::Failed:
        case CsaState::LoggingOut:
            return;
        case CsaState::Connecting:
            channel_.close();
            state_ = CsaState::Closed;
            deadline_ = -1;
            emitKind(CsaEvent::Kind::LoggedOut);
            return;
        default:
            break;
    }
    readingSummary_ = false;
    state_ = CsaState::LoggingOut;
    send("LOGOUT", nowMs);
    if (state_ == CsaState::LoggingOut) {
        setDeadline(nowMs, login_.timeouts.logoutMs);
    }
}

void CsaClient::close() {
    channel_.close();
    if (state_ != CsaState::Idle && state_ != CsaState::Failed) {
        state_ = CsaState::Closed;
    }
    deadline_ = -1;
}

void CsaClient::send(const std::string& line, std::int64_t nowMs) {
    lastTrafficMs_ = nowMs;
    if (!channel_.sendLine(line)) {
        connectionClosed();
    }
}

void CsaClient::fail(CsaFault fault, const std::string& why) {
    channel_.close();
    state_ = CsaState::Failed;
    deadline_ = -1;
    readingSummary_ = false;
    CsaEvent event;
    event.kind = CsaEvent::Kind::Fault;
    event.fault = fault;
    event.message = why;
    emit(std::move(event));
}

void CsaClient::garbage(const std::string& line, const std::string& why) {
    fail(CsaFault::Garbage, "the server sent something the protocol has no place for here" +
                                (why.empty() ? std::string() : " (" + why + ")") + ": " +
                                shown(line));
}

void CsaClient::connectionClosed() {
    switch (state_) {
        case CsaState::LoggingOut:
        case CsaState::GameOver:
            channel_.close();
            state_ = CsaState::Closed;
            deadline_ = -1;
            emitKind(CsaEvent::Kind::LoggedOut);
            return;
        case CsaState::LoggingIn:
            fail(CsaFault::Dropped, "the server closed the connection without answering the login");
            return;
        case CsaState::Waiting:
            fail(CsaFault::Dropped, "the server closed the connection while we waited for a game");
            return;
        default:
            fail(CsaFault::Dropped, "the server closed the connection in the middle of the game");
            return;
    }
}

void CsaClient::emit(CsaEvent event) {
    events_.push_back(std::move(event));
}

void CsaClient::emitKind(CsaEvent::Kind kind) {
    CsaEvent event;
    event.kind = kind;
    emit(std::move(event));
}

std::string CsaClient::shown(const std::string& line) const {
    constexpr std::size_t kLongestShown = 200;
    std::string text = line;
    // A server that repeats our LOGIN line back, in an error or as garbage, must not put the
    // password on the screen.
    const std::string& password = login_.password;
    if (!password.empty()) {
        for (std::size_t at = text.find(password); at != std::string::npos;
             at = text.find(password, at)) {
            text.replace(at, password.size(), "********");
            at += 8;
        }
    }
    const bool cut = text.size() > kLongestShown;
    text.resize(cut ? kLongestShown : text.size());
    for (char& character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte >= 0x7f) {
            character = '?';
        }
    }
    return "\"" + text + (cut ? "...\"" : "\"");
}

void CsaClient::setDeadline(std::int64_t nowMs, int ms) {
    deadline_ = nowMs + login_.timeouts.scaled(ms);
}

}  // namespace ixo
