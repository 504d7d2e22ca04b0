#include "game/computer_opponent.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "engine/think_time.h"
#include "game/engine_moves.h"
#include "game/game_scene.h"
#include "game/turn_controller.h"
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

void ComputerOpponent::restart(GameScene& scene) {
    abandonSearch();
    takeBacksOwed_ = 0;
    replaysOwed_ = 0;
    playing_ = true;
    // A second start replaces the engine; it takes up the game where it stands, and a fault
    // on the way is told as any other.
    if (!engine_.start(setup_, steadyMs())) {
        EngineEvent event;
        giveUp(scene, engine_.pollEvent(event) ? event.message : "it could not be started");
        return;
    }
    engine_.newGame(steadyMs());
    scene.notice.clear();
}

int ComputerOpponent::msUntilDeadline() const {
    const std::int64_t deadline = engine_.nextDeadline();
    return deadline < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, deadline - steadyMs()));
}

bool ComputerOpponent::ownsTurn(const GameScene& scene) const {
    return playing_ && scene.turn() == side_ && !scene.paused() && !scene.gameOver();
}

void ComputerOpponent::pause(GameScene& scene) {
    abandonSearch();
    if (!shownLine_.empty() && scene.notice == shownLine_) {
        scene.notice.clear();
    }
    shownLine_.clear();
}

GoTimes ComputerOpponent::timesFor(const GameScene& scene) const {
    const std::int64_t now = scene.ticks();
    TimeControl control;
    TimeLeft own;
    TimeLeft other;
    if (scene.server && scene.server->showsClock()) {
        // On a server its clock is the one that counts.
        control = scene.server->control(side_);
        own = scene.server->left(side_, now);
        other = scene.server->left(1 - side_, now);
    } else if (scene.showsClock()) {
        const GameClock& clock = scene.clock();
        control = clock.control();
        own = clock.left(side_, now);
        other = clock.left(1 - side_, now);
    } else {
        return engine_.levelTimes(side_);
    }
    // The level sets the pace; the clock, as it stands now, can only shorten it.
    const std::size_t plies = scene.match.ply();
    return thinkTime(engine_.level(), {control.mainMs, control.byoyomiMs, control.incrementMs},
                     {own.mainMs, own.byoyomiMs}, {other.mainMs, other.byoyomiMs},
                     static_cast<int>(plies), side_);
}

void ComputerOpponent::update(GameScene& scene) {
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
        takeBackPly(scene);
    }
    for (; replaysOwed_ > 0; --replaysOwed_) {
        replayPly(scene);
    }
    while (playing_ && engine_.pollEvent(event)) {
        switch (event.kind) {
            case EngineEvent::Kind::BestMove:
                if (thinking_) {
                    thinking_ = false;
                    playAnswer(scene, event.move);
                }
                break;
            case EngineEvent::Kind::Resign:
            case EngineEvent::Kind::Win:
                // The simple rules have neither ending: the game is the players' to finish.
                if (thinking_ && ownsTurn(scene) && scene.rules() != RuleSet::Standard) {
                    giveUp(scene, event.kind == EngineEvent::Kind::Resign
                                      ? std::string("the engine resigned")
                                      : std::string("the engine declared a win"));
                } else if (thinking_ && ownsTurn(scene)) {
                    thinking_ = false;
                    if (event.kind == EngineEvent::Kind::Resign) {
                        scene.match.resign();
                    } else {
                        scene.match.declareImpasse();
                    }
                    settle(scene);
                    scene.notice.clear();
                    shownLine_.clear();
                    scene.notify(lastPlayed(scene.match), MoveEvent::Ended);
                }
                break;
            case EngineEvent::Kind::Fault:
                giveUp(scene, event.message);
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
    if (playing_ && !thinking_ && ownsTurn(scene)) {
        ask(scene, nowMs);
    }
    if (thinking_) {
        // Every new line is a whole frame, and an engine revises its score many times a
        // second; once a second is as fast as a player reads it.
        constexpr std::int64_t kLineRefreshMs = 1000;
        const bool ours = scene.notice.empty() || scene.notice == shownLine_;
        if (ours && (shownLine_.empty() || nowMs - shownAt_ >= kLineRefreshMs)) {
            const std::string line = thinkingLine();
            if (line != shownLine_) {
                scene.notice = line;
                shownLine_ = line;
                shownAt_ = nowMs;
            }
        }
    } else if (!shownLine_.empty()) {
        if (scene.notice == shownLine_) {
            scene.notice.clear();
        }
        shownLine_.clear();
    }
}

void ComputerOpponent::ask(GameScene& scene, std::int64_t nowMs) {
    // A set-up position the engine would abort on is refused here, not sent.
    std::string sfen;
    std::vector<std::string> moves;
    std::string error;
    if (!enginePosition(scene, sfen, moves, error)) {
        giveUp(scene, "the engine cannot be given this position: " + error);
        return;
    }
    if (engine_.go(sfen, moves, timesFor(scene), nowMs)) {
        thinking_ = true;
    }
}

void ComputerOpponent::playAnswer(GameScene& scene, const std::string& text) {
    if (!ownsTurn(scene)) {
        return;  // the position it was asked about is gone
    }
    if (scene.rules() != RuleSet::Standard) {
        playSimpleAnswer(scene, text);
        return;
    }
    MoveRequest request;
    Move made;
    if (!parseUsiMove(text, request) || scene.match.play(request, &made) != Refusal::None) {
        // The engine's side broke the rules: it loses, and the player sees what it sent.
        scene.match.loseByFoul(side_);
        settle(scene);
        scene.notice =
            formatString("%s's engine played an illegal move: %s", sideName(side_), text.c_str());
        shownLine_.clear();
        std::fprintf(stderr, "ixo-shogi: %s\n", scene.notice.c_str());
        scene.notify(lastPlayed(scene.match), MoveEvent::Ended);
        return;
    }
    settle(scene);
    scene.notify(made, MoveEvent::Played);
}

void ComputerOpponent::playSimpleAnswer(GameScene& scene, const std::string& text) {
    Move made;
    if (!judgeEngineMove(scene, text, made) ||
        scene.match.play(requestOf(made), &made) != Refusal::None) {
        // The simple rules know no foul, so the engine leaves and the players go on.
        giveUp(scene, "it sent a move these rules do not allow: " + text);
        return;
    }
    settle(scene);
    scene.notify(made, MoveEvent::Played);
}

void ComputerOpponent::giveUp(GameScene& scene, const std::string& why) {
    playing_ = false;
    thinking_ = false;
    std::string line = "The engine failed: " + why;
    if (!engine_.lastLine().empty() && why.find(engine_.lastLine()) == std::string::npos) {
        line += " (its last line: " + engine_.lastLine() + ")";
    }
    std::fprintf(stderr, "ixo-shogi: %s; the game goes on for two players\n", line.c_str());
    scene.notice = line + "; two players now";
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

void ComputerOpponent::onMoveEvent(const GameScene& scene, const Move&, MoveEvent event) {
    if (!playing_) {
        return;
    }
    // A flag fall ends the game while the engine may be thinking; its answer is no move now.
    if (event == MoveEvent::Ended && scene.gameOver()) {
        abandonSearch();
    }
    if (event == MoveEvent::TakenBack || event == MoveEvent::Replayed) {
        abandonSearch();
        const std::size_t ply = scene.match.ply();
        const bool ahead = scene.match.current().mainChild() != nullptr;
        // Back to (or on to) the player's own turn: the computer's move goes with theirs.
        const bool computerToMove = scene.turn() == side_ && !scene.gameOver();
        if (computerToMove && event == MoveEvent::TakenBack && ply > 0) {
            ++takeBacksOwed_;
        } else if (computerToMove && event == MoveEvent::Replayed && ahead) {
            ++replaysOwed_;
        }
    }
}

void ComputerOpponent::onNewGame(const GameScene&) {
    if (!playing_) {
        return;
    }
    thinking_ = false;
    takeBacksOwed_ = 0;
    replaysOwed_ = 0;
    engine_.newGame(now_);
}

}  // namespace ixo
