#include "match/server_player.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "match/server_record.h"
#include "record/record_store.h"
#include "shogi/csa_notation.h"

namespace ixo {

namespace {

const char* outcomeWords(CsaOutcome outcome) {
    switch (outcome) {
        case CsaOutcome::Win:
            return "You win";
        case CsaOutcome::Lose:
            return "You lose";
        case CsaOutcome::Draw:
            return "Draw";
        case CsaOutcome::Censored:
            return "Censored";
        case CsaOutcome::Interrupted:
            break;
    }
    return "Interrupted";
}

}  // namespace

Outcome serverOutcome(const CsaResult& result, int ourSide, int declarer) {
    const int winner = result.outcome == CsaOutcome::Win    ? ourSide
                       : result.outcome == CsaOutcome::Lose ? 1 - ourSide
                                                            : -1;
    switch (result.reason) {
        case CsaReason::Resign:
            return {GameEnd::Resignation, winner};
        case CsaReason::TimeUp:
            return {GameEnd::TimeUp, winner};
        case CsaReason::IllegalMove:
            return {winner < 0 ? GameEnd::None : GameEnd::IllegalMove, winner};
        case CsaReason::Sennichite:
            return {GameEnd::Repetition, -1};
        case CsaReason::OuteSennichite:
            return {winner < 0 ? GameEnd::None : GameEnd::PerpetualCheck, winner};
        case CsaReason::Jishogi:
            if (winner < 0) {
                return {};
            }
            return {declarer < 0 || winner == declarer ? GameEnd::Impasse : GameEnd::FailedImpasse,
                    winner};
        case CsaReason::MaxMoves:
        case CsaReason::Chudan:
        case CsaReason::None:
            break;
    }
    // No ending of ours says it: the line under the board does.
    return {};
}

std::string floodgateComment(const SearchInfo& search, const Move& played, const Position& after) {
    if (search.score.kind != Score::Kind::Centipawns || search.score.bound ||
        search.principalVariation.empty()) {
        return "";
    }
    const std::vector<std::string>& line = search.principalVariation;
    // The line begins with the move itself when it is the one the engine played.
    std::size_t first = 0;
    if (line[0] == usiMove(requestOf(played))) {
        first = 1;
    }
    std::string moves;
    Position position = after;
    for (std::size_t index = first; index < line.size(); ++index) {
        MoveRequest request;
        // A line that stops being legal ends there: what follows is not about this game.
        if (!parseUsiMove(line[index], request) || judgeMove(position, request) != Refusal::None) {
            break;
        }
        moves += " " + csaMove(position, request);
        playStandardMove(position, request);
    }
    if (moves.empty()) {
        return "";
    }
    const int searcher = 1 - after.sideToMove;
    return "* " + std::to_string(search.score.fromBlue(searcher).centipawns) + moves;
}

ServerPlayer::ServerPlayer(CsaLogin login) : login_(std::move(login)) {}

bool ServerPlayer::start(std::int64_t nowMs) {
    status_ = ServerStatus::Connecting;
    if (!client_.start(login_, nowMs)) {
        CsaEvent event;
        status_ = ServerStatus::Failed;
        reason_ = client_.pollEvent(event) ? event.message : "the connection could not begin";
        return false;
    }
    return true;
}

bool ServerPlayer::finished() const {
    return client_.state() == CsaState::Closed || client_.state() == CsaState::Failed ||
           client_.state() == CsaState::Idle;
}

bool ServerPlayer::ourTurn(const Match& match) const {
    return status_ == ServerStatus::Playing && client_.ourTurn() && !awaitingEcho_ &&
           !sentEnding_ && !match.current().isEnd() && match.ply() == client_.moves().size() &&
           match.position().sideToMove == ourSide_;
}

bool ServerPlayer::update(Match& match, std::int64_t nowMs) {
    const RecordNode* before = &match.current();
    const std::size_t plyBefore = match.ply();
    sendOurs(match, nowMs);
    client_.update(nowMs);
    CsaEvent event;
    while (client_.pollEvent(event)) {
        switch (event.kind) {
            case CsaEvent::Kind::LoggedIn:
                status_ = ServerStatus::Waiting;
                break;
            case CsaEvent::Kind::GameOffered:
                offered(match, nowMs);
                break;
            case CsaEvent::Kind::GameStarted:
                status_ = ServerStatus::Playing;
                // The time before START (the offer, the agreement) is nobody's.
                match.restartClock();
                break;
            case CsaEvent::Kind::Move:
                moveArrived(match, event);
                break;
            case CsaEvent::Kind::SpecialMove:
                if (event.text == "%KACHI") {
                    declarer_ = event.side;
                }
                break;
            case CsaEvent::Kind::Result:
                resultArrived(match, event.result);
                // The game is over; nothing more is owed on this connection.
                client_.logout(nowMs);
                break;
            case CsaEvent::Kind::LoggedOut:
                if (status_ != ServerStatus::Over && status_ != ServerStatus::Failed) {
                    interrupt(match);
                    status_ = ServerStatus::Left;
                }
                break;
            case CsaEvent::Kind::Fault:
                failed(match, event.message);
                break;
        }
        // A move ours that could go out now (the computer's, made before this pass read the
        // server) goes at once rather than a pass later.
        sendOurs(match, nowMs);
    }
    return &match.current() != before || match.ply() != plyBefore;
}

void ServerPlayer::offered(Match& match, std::int64_t nowMs) {
    const GameSummary& summary = client_.summary();
    ourSide_ = summary.ourSide;
    GameRecord record = serverGameRecord(summary, recordStartTime(std::time(nullptr)));
    // The moves already played, through our rules as every move is, with what the server
    // charged for them.
    Position position = record.start;
    RecordNode* at = &record.root();
    for (const CsaPlayedMove& played : summary.moves) {
        MoveRequest request;
        Move made;
        std::string error;
        const int mover = position.sideToMove;
        if (!parseCsaMove(position, played.text, request, error) ||
            !playStandardMove(position, request, &made)) {
            break;  // the client refuses such an offer before it comes here
        }
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
        at->time.usedMs = played.units < 0 ? 0 : played.units * summary.time[mover].unitMs;
        at->timed = played.units >= 0;
    }
    match.setOutsideJudge(true);
    std::string error;
    if (!match.load(std::move(record), error)) {
        failed(match, "the offered game cannot be played: " + error);
        client_.logout(nowMs);
        return;
    }
    built_ = true;
    status_ = ServerStatus::Starting;
    client_.agree(nowMs);
}

void ServerPlayer::sendOurs(Match& match, std::int64_t nowMs) {
    if (status_ != ServerStatus::Playing || !built_ || awaitingEcho_ || sentEnding_) {
        return;
    }
    const std::size_t known = client_.moves().size();
    if (match.current().isEnd()) {
        // An ending a player of ours chose (the computer resigned or declared): the server
        // is told, and its result will stand in the record in place of ours.
        const Outcome& ending = match.outcome();
        if (match.ply() != known || client_.position().sideToMove != match.position().sideToMove) {
            return;
        }
        if (ending.how == GameEnd::Resignation && ending.winner == 1 - ourSide_) {
            sentEnding_ = client_.resign(nowMs);
        } else if ((ending.how == GameEnd::Impasse || ending.how == GameEnd::FailedImpasse) &&
                   match.position().sideToMove == ourSide_) {
            sentEnding_ = client_.declareWin(nowMs);
        }
        return;
    }
    if (match.ply() != known + 1 || !client_.ourTurn()) {
        return;
    }
    const Move* last = match.lastMove();
    if (!last || match.position().sideToMove == ourSide_) {
        return;
    }
    Refusal why = Refusal::None;
    const std::string comment = comments_ ? comments_(*last, match.position()) : std::string();
    if (client_.sendMove(requestOf(*last), nowMs, &why, comment)) {
        awaitingEcho_ = true;
        lastRefusal_.clear();
        return;
    }
    // It never went out, so it is not part of the game: the board goes back to where the
    // server has it.
    lastRefusal_ = why == Refusal::None ? "the move could not be sent" : refusalText(why);
    match.takeBack();
}

bool ServerPlayer::moveArrived(Match& match, const CsaEvent& event) {
    if (event.ours) {
        awaitingEcho_ = false;
        // Our move is on the board already; it costs what the server says it cost.
        match.chargeLastMove(event.chargedMs);
        return true;
    }
    if (event.refused) {
        // The board can no longer follow the server: the game cannot go on here.
        failed(match, event.message);
        client_.logout(match.now());
        return false;
    }
    Move made;
    const Refusal why = match.play(event.request, &made);
    if (why != Refusal::None) {
        failed(match,
               "the server's move " + event.text + " cannot be played here: " + refusalText(why));
        client_.logout(match.now());
        return false;
    }
    match.chargeLastMove(event.chargedMs);
    return true;
}

void ServerPlayer::resultArrived(Match& match, const CsaResult& result) {
    result_ = result;
    status_ = ServerStatus::Over;
    if (!built_) {
        return;
    }
    dropUnconfirmed(match);
    const int sideToMove = match.position().sideToMove;
    const LineEnd end = serverLineEnd(result, ourSide_, sideToMove);
    match.recordEnding(end, serverOutcome(result, ourSide_, declarer_));
}

void ServerPlayer::failed(Match& match, const std::string& why) {
    if (status_ == ServerStatus::Over || status_ == ServerStatus::Left) {
        return;  // the game was already settled; what comes after changes nothing
    }
    status_ = ServerStatus::Failed;
    reason_ = why;
    interrupt(match);
}

void ServerPlayer::dropUnconfirmed(Match& match) {
    // Our last move never reached the game (time ran out first, or the connection went): the
    // server never counted it, so it is not part of the game.
    if (awaitingEcho_ && !match.current().isEnd()) {
        match.takeBack();
    }
    awaitingEcho_ = false;
}

void ServerPlayer::interrupt(Match& match) {
    dropUnconfirmed(match);
    if (built_ && !match.current().isEnd()) {
        match.recordEnding(LineEnd::Interrupted, Outcome{});
    }
}

bool ServerPlayer::resign(std::int64_t nowMs) {
    if (status_ != ServerStatus::Playing || sentEnding_) {
        return false;
    }
    sentEnding_ = client_.resign(nowMs);
    return sentEnding_;
}

bool ServerPlayer::declareWin(std::int64_t nowMs) {
    if (status_ != ServerStatus::Playing || sentEnding_ || awaitingEcho_) {
        return false;
    }
    sentEnding_ = client_.declareWin(nowMs);
    return sentEnding_;
}

void ServerPlayer::leave(Match& match, std::int64_t nowMs) {
    if (status_ == ServerStatus::Starting || status_ == ServerStatus::Playing) {
        interrupt(match);
    }
    if (status_ != ServerStatus::Over && status_ != ServerStatus::Failed) {
        status_ = ServerStatus::Left;
    }
    client_.logout(nowMs);
}

void ServerPlayer::pump(std::int64_t nowMs) {
    client_.update(nowMs);
    CsaEvent event;
    while (client_.pollEvent(event)) {
    }
}

std::string ServerPlayer::statusLine() const {
    const std::string& opponent = ourSide_ >= 0 ? names()[1 - ourSide_] : std::string();
    switch (status_) {
        case ServerStatus::Connecting:
            return "Connecting to " + login_.host + " as " + login_.user;
        case ServerStatus::Waiting:
            return "Waiting for an opponent on " + login_.host + " (Esc leaves)";
        case ServerStatus::Starting:
            return "Playing " + opponent + ": waiting for the server to start";
        case ServerStatus::Playing:
            if (!lastRefusal_.empty()) {
                return "Not sent: " + lastRefusal_;
            }
            if (sentEnding_) {
                return "Waiting for the server's result";
            }
            if (client_.ourEnding().over()) {
                return "Our rules see the game over; the server decides (G resigns)";
            }
            return client_.ourTurn() && !awaitingEcho_ ? "Your move against " + opponent
                                                       : opponent + " to move";
        case ServerStatus::Over: {
            std::string line = outcomeWords(result_.outcome);
            if (result_.reason != CsaReason::None) {
                line += std::string(": ") + csaReasonText(result_.reason);
            }
            if (result_.disagrees()) {
                line += " (" + result_.ourRulesSay + ")";
            }
            return line;
        }
        case ServerStatus::Failed:
            return "Server: " + reason_;
        case ServerStatus::Left:
            return "Left the server";
    }
    return "";
}

bool ServerPlayer::showsClock() const {
    if (ourSide_ < 0) {
        return false;
    }
    const CsaClock& clock = client_.clock();
    return clock.control(0).limited() || clock.control(1).limited();
}

TimeControl ServerPlayer::control(int side) const {
    const CsaTimeControl& control = client_.clock().control(side);
    return {control.totalMs, control.byoyomiMs, control.incrementMs};
}

int ServerPlayer::clockRunning() const {
    if (status_ != ServerStatus::Playing) {
        return -1;
    }
    return client_.position().sideToMove;
}

TimeLeft ServerPlayer::left(int side, std::int64_t nowMs) const {
    const CsaClock& clock = client_.clock();
    TimeLeft left{clock.remainingMs(side), clock.control(side).byoyomiMs};
    if (clockRunning() == side) {
        // Counted down as it passes; the server's charge for the move replaces it once made.
        const std::int64_t spent = std::max<std::int64_t>(0, nowMs - client_.turnStartedMs());
        if (spent <= left.mainMs) {
            left.mainMs -= spent;
        } else {
            left.byoyomiMs = std::max<std::int64_t>(0, left.byoyomiMs - (spent - left.mainMs));
            left.mainMs = 0;
        }
    }
    return left;
}

std::int64_t ServerPlayer::msUntilClockChange(std::int64_t nowMs) const {
    const int side = clockRunning();
    if (side < 0 || !showsClock()) {
        return -1;
    }
    const TimeLeft now = left(side, nowMs);
    const std::int64_t shown = now.mainMs > 0 ? now.mainMs : now.byoyomiMs;
    if (shown <= 0) {
        return -1;
    }
    // The face shows whole seconds rounded up: it changes as the next whole second passes.
    const std::int64_t within = shown % 1000;
    return within == 0 ? 1000 : within;
}

std::int64_t ServerPlayer::msUntilDeadline(std::int64_t nowMs) const {
    const std::int64_t deadline = client_.nextDeadline();
    return deadline < 0 ? -1 : std::max<std::int64_t>(0, deadline - nowMs);
}

}  // namespace ixo
