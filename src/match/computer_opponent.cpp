#include "match/computer_opponent.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "engine/think_time.h"
#include "match/engine_moves.h"
#include "match/server_player.h"
#include "shogi/move.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"
#include "util/format.h"

namespace ixo {

namespace {

const char* sideName(int side) {
    return side == 0 ? "Blue" : "Red";
}

std::string scoreText(const Score& score) {
    if (score.kind == Score::Kind::Mate) {
        const char* who = score.matingSide ? "Blue" : "Red";
        return score.mateIn > 0 ? formatString("%s: mate in %d", who, score.mateIn)
                                : formatString("%s: mate", who);
    }
    if (score.kind == Score::Kind::Centipawns) {
        return formatString("%+.2f", score.centipawns / 100.0);
    }
    return "";
}

}  // namespace

ComputerOpponent::ComputerOpponent(EngineSetup setup, int side)
    : setup_(std::move(setup)), side_(side) {}

ComputerOpponent::ComputerOpponent(EngineSetup setup, int side, RuleSet rules)
    : ComputerOpponent(std::move(setup), side) {
    if (rules == RuleSet::Simple) {
        setup_.variantFile = kSimpleRulesVariantFile;
        setup_.variantName = kSimpleRulesVariant;
    }
}

bool ComputerOpponent::start(std::string& error) {
    if (!engine_.start(setup_, steadyMs())) {
        EngineEvent event;
        startFault_ = EngineFault::CouldNotStart;
        error = "the engine could not be started";
        if (engine_.pollEvent(event)) {
            error = event.message;
            startFault_ = event.fault;
        }
        return false;
    }
    // The window is not open yet, so nothing else needs the loop while this waits.
    for (;;) {
        EngineEvent event;
        while (engine_.pollEvent(event)) {
            if (event.kind == EngineEvent::Kind::Ready) {
                nameForRecord();
                engine_.newGame(steadyMs());
                return true;
            }
            if (event.kind == EngineEvent::Kind::Fault) {
                error = event.message;
                startFault_ = event.fault;
                return false;
            }
        }
        const std::int64_t now = steadyMs();
        const std::int64_t deadline = engine_.nextDeadline();
        const int wait = deadline < 0 ? 100
                                      : static_cast<int>(std::max<std::int64_t>(
                                            0, std::min<std::int64_t>(deadline - now, 100)));
        pollfd watched{engine_.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, wait);
        engine_.update(steadyMs());
    }
}

void ComputerOpponent::restart() {
    abandonSearch();
    takeBacksOwed_ = 0;
    replaysOwed_ = 0;
    playing_ = true;
    // A second start replaces the engine; it takes up the game where it stands, and a fault
    // on the way is told as any other.
    if (!engine_.start(setup_, steadyMs())) {
        EngineEvent event;
        giveUp(engine_.pollEvent(event) ? event.message : "it could not be started");
        return;
    }
    engine_.newGame(steadyMs());
    notice_.clear();
}

int ComputerOpponent::msUntilDeadline() const {
    return msUntil(engine_.nextDeadline());
}

bool ComputerOpponent::ownsTurn(const Match& match) const {
    return playing_ && !held_ && match.position().sideToMove == side_ && !match.paused() &&
           !match.finished();
}

void ComputerOpponent::hold(bool held) {
    if (held && !held_) {
        pause();
    }
    held_ = held;
}

void ComputerOpponent::pause() {
    abandonSearch();
    if (!shownLine_.empty()) {
        notice_.withdraw();
    }
    shownLine_.clear();
}

GoTimes ComputerOpponent::timesFor(const Match& match) const {
    const std::int64_t now = match.now();
    TimeControl control;
    TimeLeft own;
    TimeLeft other;
    if (server_ && server_->showsClock()) {
        control = server_->control(side_);
        own = server_->left(side_, now);
        other = server_->left(1 - side_, now);
    } else if (match.clock().control().limited()) {
        const GameClock& clock = match.clock();
        control = clock.control();
        own = clock.left(side_, now);
        other = clock.left(1 - side_, now);
    } else {
        return engine_.levelTimes(side_);
    }
    // The level sets the pace; the clock, as it stands now, can only shorten it.
    const std::size_t plies = match.ply();
    return thinkTime(engine_.level(), {control.mainMs, control.byoyomiMs, control.incrementMs},
                     {own.mainMs, own.byoyomiMs}, {other.mainMs, other.byoyomiMs},
                     static_cast<int>(plies), side_);
}

void ComputerOpponent::update(Match& match) {
    const std::int64_t nowMs = steadyMs();
    now_ = nowMs;
    // Read even after a fault: what a dying engine still sends must not keep the loop awake.
    engine_.update(nowMs);
    EngineEvent event;
    if (!playing_) {
        while (engine_.pollEvent(event)) {
        }
        return;
    }
    // A second ply of a take-back or replay, owed since the first.
    for (; takeBacksOwed_ > 0; --takeBacksOwed_) {
        match.takeBack();
    }
    for (; replaysOwed_ > 0; --replaysOwed_) {
        match.replay();
    }
    while (playing_ && engine_.pollEvent(event)) {
        switch (event.kind) {
            case EngineEvent::Kind::BestMove:
                if (thinking_) {
                    thinking_ = false;
                    playAnswer(match, event.move);
                }
                break;
            case EngineEvent::Kind::Resign:
            case EngineEvent::Kind::Win:
                // The simple rules have neither ending: the game is the players' to finish.
                if (thinking_ && ownsTurn(match) && match.rules() != RuleSet::Standard) {
                    giveUp(event.kind == EngineEvent::Kind::Resign
                               ? std::string("the engine resigned")
                               : std::string("the engine declared a win"));
                } else if (thinking_ && ownsTurn(match)) {
                    thinking_ = false;
                    notice_.clear();
                    shownLine_.clear();
                    if (event.kind == EngineEvent::Kind::Resign) {
                        match.resign();
                    } else {
                        match.declareImpasse();
                    }
                }
                break;
            case EngineEvent::Kind::Fault:
                giveUp(event.message);
                break;
            case EngineEvent::Kind::Warning:
                std::fprintf(stderr, "ixo-shogi: %s\n", event.message.c_str());
                break;
            case EngineEvent::Kind::Ready:
                nameForRecord();  // an engine restarted with E
                break;
            case EngineEvent::Kind::Info:
                break;
        }
    }
    if (playing_ && !thinking_ && ownsTurn(match)) {
        ask(match, nowMs);
    }
    showThinking(nowMs);
}

void ComputerOpponent::showThinking(std::int64_t nowMs) {
    if (thinking_) {
        // Every new line is a whole frame, and an engine revises its score many times a
        // second; once a second is as fast as a player reads it.
        constexpr std::int64_t kLineRefreshMs = 1000;
        if (shownLine_.empty() || nowMs - shownAt_ >= kLineRefreshMs) {
            const std::string line = thinkingLine();
            if (line != shownLine_) {
                notice_.offer(line);
                shownLine_ = line;
                shownAt_ = nowMs;
            }
        }
    } else if (!shownLine_.empty()) {
        notice_.withdraw();
        shownLine_.clear();
    }
}

void ComputerOpponent::ask(const Match& match, std::int64_t nowMs) {
    // A set-up position the engine would abort on is refused here, not sent.
    std::string sfen;
    std::vector<std::string> moves;
    std::string error;
    if (!enginePosition(match, sfen, moves, error)) {
        giveUp("the engine cannot be given this position: " + error);
        return;
    }
    if (engine_.go(sfen, moves, timesFor(match), nowMs)) {
        thinking_ = true;
    }
}

void ComputerOpponent::playAnswer(Match& match, const std::string& text) {
    if (!ownsTurn(match)) {
        return;  // the position it was asked about is gone
    }
    if (match.rules() != RuleSet::Standard) {
        playSimpleAnswer(match, text);
        return;
    }
    MoveRequest request;
    if (!parseUsiMove(text, request) || match.play(request) != Refusal::None) {
        // The engine's side broke the rules: it loses, and the player sees what it sent.
        const std::string foul =
            formatString("%s's engine played an illegal move: %s", sideName(side_), text.c_str());
        notice_.tell(foul);
        shownLine_.clear();
        std::fprintf(stderr, "ixo-shogi: %s\n", foul.c_str());
        match.loseByFoul(side_);
    }
}

void ComputerOpponent::playSimpleAnswer(Match& match, const std::string& text) {
    Move made;
    if (!judgeEngineMove(match, text, made) || match.play(requestOf(made)) != Refusal::None) {
        // The simple rules know no foul, so the engine leaves and the players go on.
        giveUp("it sent a move these rules do not allow: " + text);
    }
}

void ComputerOpponent::giveUp(const std::string& why) {
    playing_ = false;
    thinking_ = false;
    std::string line = "The engine failed: " + why;
    if (!engine_.lastLine().empty() && why.find(engine_.lastLine()) == std::string::npos) {
        line += " (its last line: " + engine_.lastLine() + ")";
    }
    std::fprintf(stderr, "ixo-shogi: %s; the game goes on for two players\n", line.c_str());
    notice_.tell(line + "; two players now");
    shownLine_.clear();
    engine_.quit(now_);
}

std::string ComputerOpponent::thinkingLine() const {
    const SearchInfo& info = engine_.latestInfo();
    std::string score = scoreText(info.score.fromBlue(side_));
    if (!score.empty()) {
        score = "  " + score;
    }
    const std::string before = formatString("%s is thinking: ", sideName(side_));
    const std::string after = formatString(", level %d", engine_.level()) + score;
    // The line must end before Blue's hand; an engine names itself, at any length, so its
    // name is what gives way.
    constexpr std::size_t kLineColumns = 53;
    std::string name = engine_.name().empty() ? "the engine" : engine_.name();
    const std::size_t room = kLineColumns > before.size() + after.size() + 2
                                 ? kLineColumns - before.size() - after.size()
                                 : 2;
    if (name.size() > room) {
        name = name.substr(0, room - 2) + "..";
    }
    return before + name + after;
}

void ComputerOpponent::nameForRecord() {
    // An engine that sends no id name is still the program the player named.
    const std::string name = engine_.name().empty()
                                 ? std::filesystem::path(setup_.program).filename().string()
                                 : engine_.name();
    recordName_ = name + " (level " + std::to_string(engine_.level()) + ")";
}

void ComputerOpponent::abandonSearch() {
    if (thinking_) {
        engine_.stop(now_);
        thinking_ = false;
    }
}

void ComputerOpponent::onMatchEvent(const Match& match, MatchEvent event, const Move&) {
    if (!playing_) {
        return;
    }
    switch (event) {
        case MatchEvent::Played:
            break;
        case MatchEvent::Ended:
            // A flag fall ends the game while the engine may be thinking; its answer is no
            // move now.
            if (match.finished()) {
                abandonSearch();
            }
            break;
        case MatchEvent::TakenBack:
        case MatchEvent::Replayed: {
            abandonSearch();
            const bool ahead = match.current().mainChild() != nullptr;
            // Back to (or on to) the player's own turn: the computer's move goes with theirs.
            const bool computerToMove = match.position().sideToMove == side_ && !match.finished();
            if (computerToMove && event == MatchEvent::TakenBack && match.ply() > 0) {
                ++takeBacksOwed_;
            } else if (computerToMove && event == MatchEvent::Replayed && ahead) {
                ++replaysOwed_;
            }
            break;
        }
        case MatchEvent::Moved:
            // Somewhere else in the record: the position searched is gone.
            abandonSearch();
            takeBacksOwed_ = 0;
            replaysOwed_ = 0;
            break;
        case MatchEvent::Annotated:
            break;
        case MatchEvent::NewGame:
            thinking_ = false;
            takeBacksOwed_ = 0;
            replaysOwed_ = 0;
            engine_.newGame(now_);
            break;
    }
}

}  // namespace ixo
