#include "match/hint_engine.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "match/computer_opponent.h"
#include "match/engine_moves.h"
#include "shogi/notation.h"

namespace ixo {

namespace {

// "７六歩(77)" reads as "７六歩": where the piece comes from is on the board already.
std::string hintText(const Move& move) {
    std::string text = kifMoveText(move, nullptr);
    const std::size_t origin = text.rfind('(');
    return origin == std::string::npos ? text : text.substr(0, origin);
}

}  // namespace

HintEngine::HintEngine(EngineSetup setup, bool defaultEngine)
    : setup_(std::move(setup)), defaultEngine_(defaultEngine) {
    // The player's level is for the opponent; a hint is the engine at its best.
    setup_.level = kMaxLevel;
}

int HintEngine::msUntilDeadline() const {
    return msUntil(engine_.nextDeadline());
}

bool HintEngine::busy() const {
    return searching_;
}

void HintEngine::request(const Match& match, const ComputerOpponent* computer) {
    if (searching_ || shown_) {
        clear();  // a second H takes the hint away
        return;
    }
    if (computer && computer->ownsTurn(match)) {
        say("Hint: the computer is to move");
        return;
    }
    if (match.finished()) {
        say("Hint: the game is over");
        return;
    }
    std::string sfen;
    std::vector<std::string> moves;
    std::string error;
    if (!enginePosition(match, sfen, moves, error)) {
        say("No hint: the engine cannot be given this position: " + error);
        return;
    }
    const std::int64_t now = steadyMs();
    if (engine_.state() == EngineState::Gone) {
        // Started here and left to answer in later passes: the window never waits for it.
        if (!engine_.start(setupForRules(setup_, match.rules()), now)) {
            EngineEvent event;
            const std::string why =
                engine_.pollEvent(event) ? event.message : "it could not be started";
            // The line under the board holds some 70 characters; the terminal gets it all.
            say(defaultEngine_ ? "No engine for hints: install fairy-stockfish, or pass --engine"
                               : "No engine for hints: " + why);
            std::fprintf(stderr, "ixo-shogi: no engine for hints: %s%s\n", why.c_str(),
                         defaultEngine_ ? " (install the fairy-stockfish package, or name a USI "
                                          "engine with --engine)"
                                        : "");
            return;
        }
        engine_.newGame(now);
    }
    GoTimes times;
    times.moverSide = match.position().sideToMove == 0 ? 0 : 1;
    times.byoyomiMs = kThinkMs;
    if (!engine_.go(sfen, moves, times, now)) {
        say("No hint: the engine is not ready");
        return;
    }
    searching_ = true;
    stale_ = false;
    say("Hint: thinking");
}

void HintEngine::update(const Match& match) {
    engine_.update(steadyMs());
    if (stale_) {
        stale_ = false;
        clear();
    }
    EngineEvent event;
    while (engine_.pollEvent(event)) {
        switch (event.kind) {
            case EngineEvent::Kind::BestMove: {
                if (!searching_) {
                    break;
                }
                searching_ = false;
                // A hint is a suggestion for the player, so it passes the same judge as a move.
                Move move;
                if (judgeEngineMove(match, event.move, move)) {
                    show(move);
                } else {
                    say("No hint: the engine suggested a move the rules do not allow: " +
                        event.move);
                }
                break;
            }
            case EngineEvent::Kind::Resign:
                if (searching_) {
                    searching_ = false;
                    say("Hint: the engine sees no way to save this game");
                }
                break;
            case EngineEvent::Kind::Win:
                if (searching_) {
                    searching_ = false;
                    say("Hint: declare impasse (D)");
                }
                break;
            case EngineEvent::Kind::Fault:
                // The next H starts a new one.
                searching_ = false;
                say("No hint: " + event.message);
                std::fprintf(stderr, "ixo-shogi: the hint engine failed: %s\n",
                             event.message.c_str());
                break;
            case EngineEvent::Kind::Warning:
                std::fprintf(stderr, "ixo-shogi: %s\n", event.message.c_str());
                break;
            case EngineEvent::Kind::Ready:
            case EngineEvent::Kind::Info:
                break;
        }
    }
}

void HintEngine::clear() {
    if (searching_) {
        engine_.stop(steadyMs());
        searching_ = false;
    }
    shown_ = false;
    board_ = Shown{};
    if (said_) {
        notice_.withdraw();
    }
    said_ = false;
}

void HintEngine::show(const Move& move) {
    board_.to = move.toRow * kBoardSize + move.toColumn;
    board_.from = move.dropped ? -1 : move.fromRow * kBoardSize + move.fromColumn;
    board_.drop = move.dropped ? move.owner * 16 + move.piece : -1;
    shown_ = true;
    say("Hint: " + hintText(move));
}

void HintEngine::say(const std::string& text) {
    notice_.say(text);
    said_ = !text.empty();
}

}  // namespace ixo
