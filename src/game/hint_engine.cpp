#include "game/hint_engine.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "game/computer_opponent.h"
#include "game/engine_moves.h"
#include "game/game_scene.h"
#include "record/kif.h"

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
    const std::int64_t deadline = engine_.nextDeadline();
    return deadline < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, deadline - steadyMs()));
}

bool HintEngine::busy() const {
    return searching_;
}

void HintEngine::request(GameScene& scene) {
    if (searching_ || shown_) {
        clear(scene);  // a second H takes the hint away
        return;
    }
    if (scene.computer && scene.computer->ownsTurn(scene)) {
        say(scene, "Hint: the computer is to move");
        return;
    }
    if (scene.gameOver()) {
        say(scene, "Hint: the game is over");
        return;
    }
    std::string sfen;
    std::vector<std::string> moves;
    std::string error;
    if (!enginePosition(scene, sfen, moves, error)) {
        say(scene, "No hint: the engine cannot be given this position: " + error);
        return;
    }
    const std::int64_t now = steadyMs();
    if (engine_.state() == EngineState::Gone) {
        EngineSetup setup = setup_;
        if (scene.rules() != RuleSet::Standard) {
            // A definition named in the setup (the tests') wins over the shipped one.
            if (setup.variantFile.empty()) {
                setup.variantFile = kSimpleRulesVariantFile;
            }
            setup.variantName = kSimpleRulesVariant;
        }
        // Started here and left to answer in later passes: the window never waits for it.
        if (!engine_.start(setup, now)) {
            EngineEvent event;
            const std::string why =
                engine_.pollEvent(event) ? event.message : "it could not be started";
            // The line under the board holds some 70 characters; the terminal gets it all.
            say(scene, defaultEngine_
                           ? "No engine for hints: install fairy-stockfish, or pass --engine"
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
    times.moverSide = scene.turn() == 0 ? 0 : 1;
    times.byoyomiMs = kThinkMs;
    if (!engine_.go(sfen, moves, times, now)) {
        say(scene, "No hint: the engine is not ready");
        return;
    }
    searching_ = true;
    stale_ = false;
    say(scene, "Hint: thinking");
}

void HintEngine::update(GameScene& scene) {
    engine_.update(steadyMs());
    if (stale_) {
        stale_ = false;
        clear(scene);
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
                if (judgeEngineMove(scene, event.move, move)) {
                    show(scene, move);
                } else {
                    say(scene, "No hint: the engine suggested a move the rules do not allow: " +
                                   event.move);
                }
                break;
            }
            case EngineEvent::Kind::Resign:
                if (searching_) {
                    searching_ = false;
                    say(scene, "Hint: the engine sees no way to save this game");
                }
                break;
            case EngineEvent::Kind::Win:
                if (searching_) {
                    searching_ = false;
                    say(scene, "Hint: declare impasse (D)");
                }
                break;
            case EngineEvent::Kind::Fault:
                // The next H starts a new one.
                searching_ = false;
                say(scene, "No hint: " + event.message);
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

void HintEngine::clear(GameScene& scene) {
    if (searching_) {
        engine_.stop(steadyMs());
        searching_ = false;
    }
    shown_ = false;
    board_ = Shown{};
    if (!said_.empty() && scene.notice == said_) {
        scene.notice.clear();
    }
    said_.clear();
}

void HintEngine::show(GameScene& scene, const Move& move) {
    board_.to = move.toRow * kBoardSize + move.toColumn;
    board_.from = move.dropped ? -1 : move.fromRow * kBoardSize + move.fromColumn;
    board_.drop = move.dropped ? move.owner * 16 + move.piece : -1;
    shown_ = true;
    say(scene, "Hint: " + hintText(move));
}

void HintEngine::say(GameScene& scene, const std::string& text) {
    scene.notice = text;
    said_ = text;
}

}  // namespace ixo
