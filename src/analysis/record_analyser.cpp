#include "analysis/record_analyser.h"

#include <algorithm>

#include "analysis/engine_line.h"
#include "analysis/move_verdict.h"
#include "record/evaluation_comments.h"
#include "record/replay.h"

namespace ixo {

namespace {

Evaluation evaluationOf(const Score& fromBlue) {
    Evaluation evaluation;
    if (fromBlue.kind == Score::Kind::Mate) {
        const int sign = fromBlue.matingSide ? 1 : -1;
        evaluation.mateIn = sign * fromBlue.mateIn;
        evaluation.centipawns = sign * kUnknownMateCentipawns;
    } else {
        // A score beyond the mate mark would read back as a mate.
        evaluation.centipawns = std::clamp(fromBlue.centipawns, -kUnknownMateCentipawns + 1,
                                           kUnknownMateCentipawns - 1);
    }
    return evaluation;
}

// The side to move has lost, or says so: a mate against it, distance unknown.
Evaluation lostBy(int side) {
    Evaluation evaluation;
    evaluation.centipawns = side == 0 ? -kUnknownMateCentipawns : kUnknownMateCentipawns;
    return evaluation;
}

}  // namespace

bool RecordAnalyser::start(GameRecord& record, const EngineSetup& setup, int msPerMove,
                           std::int64_t nowMs) {
    record_ = &record;
    nodes_.clear();
    for (RecordNode* node = &record.root(); node && !node->isEnd(); node = node->mainChild()) {
        nodes_.push_back(node);
    }
    next_ = 0;
    engineReportedMs_ = 0;
    msPerMove_ = std::max(1, msPerMove);
    searching_ = false;
    reason_.clear();
    state_ = State::Running;

    EngineSetup wanted = setup;
    if (wanted.program.empty()) {
        wanted.program = "fairy-stockfish";
    }
    // A verdict is the engine at its best, whatever level the opponent plays at.
    wanted.level = kMaxLevel;
    if (record.rules != RuleSet::Standard) {
        if (wanted.variantFile.empty()) {
            wanted.variantFile = kSimpleRulesVariantFile;
        }
        wanted.variantName = kSimpleRulesVariant;
    } else {
        wanted.variantFile.clear();
        wanted.variantName.clear();
    }
    // One still answering a stop is kept too: its next search waits for that answer, where
    // starting another would wait for this one to quit.
    const bool reusable =
        (engine_.state() == EngineState::Ready || engine_.state() == EngineState::Stopping) &&
        engineTrusted_ && wanted.program == setup_.program &&
        wanted.variantName == setup_.variantName && wanted.arguments == setup_.arguments &&
        wanted.options == setup_.options;
    setup_ = wanted;
    engineTrusted_ = true;
    if (!reusable) {
        if (!engine_.start(setup_, nowMs)) {
            EngineEvent event;
            fail(engine_.pollEvent(event) ? event.message : "the engine could not be started");
            return false;
        }
    }
    engine_.newGame(nowMs);
    askNext(nowMs);
    return state_ != State::Failed;
}

void RecordAnalyser::update(std::int64_t nowMs) {
    engine_.update(nowMs);
    EngineEvent event;
    while (engine_.pollEvent(event)) {
        switch (event.kind) {
            case EngineEvent::Kind::BestMove:
            case EngineEvent::Kind::Resign:
            case EngineEvent::Kind::Win:
                if (searching_ && state_ == State::Running) {
                    searching_ = false;
                    record(engine_.latestInfo(), event.move,
                           event.kind == EngineEvent::Kind::Resign,
                           event.kind == EngineEvent::Kind::Win);
                    if (state_ == State::Running) {
                        askNext(nowMs);
                    }
                }
                break;
            case EngineEvent::Kind::Fault:
                if (state_ == State::Running) {
                    fail("the engine failed: " + event.message);
                }
                break;
            case EngineEvent::Kind::Warning:
                warnings_.push_back(event.message);
                break;
            case EngineEvent::Kind::Ready:
            case EngineEvent::Kind::Info:
                break;
        }
    }
    if (state_ == State::Failed && !engineTrusted_) {
        // An engine that talked nonsense is sent away, without waiting for it.
        engine_.quit(nowMs);
    }
}

void RecordAnalyser::stop(std::int64_t nowMs) {
    if (state_ != State::Running) {
        return;
    }
    engine_.stop(nowMs);
    searching_ = false;
    state_ = State::Stopped;
}

std::vector<std::string> RecordAnalyser::takeWarnings() {
    std::vector<std::string> taken;
    taken.swap(warnings_);
    return taken;
}

void RecordAnalyser::askNext(std::int64_t nowMs) {
    while (next_ < total()) {
        RecordNode& node = *nodes_[next_];
        const Position position = positionAt(*record_, node);
        if (sideToMoveHasLost(record_->rules, position)) {
            // Nothing to search: an engine asked here answers with no move at all.
            store(node, lostBy(position.sideToMove));
            ++next_;
            continue;
        }
        std::string sfen;
        std::vector<std::string> moves;
        std::string error;
        if (!engineStartOf(*record_, node, sfen, moves, error)) {
            fail("the engine cannot be given this record's start: " + error);
            return;
        }
        GoTimes times;
        times.moverSide = position.sideToMove;
        times.byoyomiMs = msPerMove_;
        if (!engine_.go(sfen, moves, times, nowMs)) {
            fail("the engine is not ready for a search");
            return;
        }
        searching_ = true;
        return;
    }
    state_ = State::Finished;
}

void RecordAnalyser::record(const SearchInfo& info, const std::string& bestMove, bool resigned,
                            bool won) {
    RecordNode& node = *nodes_[next_];
    const Position position = positionAt(*record_, node);
    engineReportedMs_ += std::max<std::int64_t>(info.timeMs, 0);
    const int ply = node.ply;
    Evaluation evaluation;
    if (info.score.kind != Score::Kind::None) {
        evaluation = evaluationOf(info.score.fromBlue(position.sideToMove));
    } else if (resigned) {
        evaluation = lostBy(position.sideToMove);
    } else if (won) {
        evaluation = lostBy(1 - position.sideToMove);
    } else {
        fail("the engine gave no evaluation of the position after move " + std::to_string(ply));
        return;
    }
    if (!resigned && !won) {
        Position after = position;
        Move made;
        if (!playEngineMove(record_->rules, after, bestMove, made)) {
            engineTrusted_ = false;
            fail("the engine suggested " + bestMove + " after move " + std::to_string(ply) +
                 ", which the rules do not allow");
            return;
        }
        // Its line, when it starts with the move it chose; otherwise the move alone.
        std::vector<std::string> line = info.principalVariation;
        if (line.empty() || line.front() != bestMove) {
            line.assign(1, bestMove);
        }
        int refusedAt = -1;
        evaluation.line = lineText(record_->rules, position, line, &refusedAt);
        if (refusedAt >= 0) {
            warnings_.push_back("the engine's line after move " + std::to_string(ply) +
                                " was cut before " + line[refusedAt] +
                                ", which the rules do not allow");
        }
    }
    store(node, evaluation);
    ++next_;
}

void RecordAnalyser::store(RecordNode& node, Evaluation evaluation) {
    node.evaluation = std::move(evaluation);
    node.evaluated = true;
    node.comment =
        withEvaluationLines(node.comment, node.evaluation, labelText(labelOf(*record_, node)));
    // A move after this one was judged against the evaluation this one had before.
    for (const auto& child : node.children) {
        if (child->evaluated) {
            child->comment = withEvaluationLines(child->comment, child->evaluation,
                                                 labelText(labelOf(*record_, *child)));
        }
    }
}

void RecordAnalyser::fail(const std::string& why) {
    searching_ = false;
    state_ = State::Failed;
    reason_ = why;
}

}  // namespace ixo
