#include "match/live_analysis.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "analysis/engine_line.h"
#include "match/engine_moves.h"
#include "util/format.h"

namespace ixo {

namespace {

// "▲７六歩(77)" as "▲７六歩": the line is read beside the board, where the origin shows.
std::string withoutOrigin(std::string text) {
    const std::size_t origin = text.rfind('(');
    return origin == std::string::npos ? text : text.substr(0, origin);
}

std::string scoreText(const Score& fromBlue) {
    if (fromBlue.kind == Score::Kind::Mate) {
        const std::string distance =
            fromBlue.mateIn > 0 ? formatString(" %d", fromBlue.mateIn) : "";
        return (fromBlue.matingSide ? "詰" : "被詰") + distance;
    }
    return formatString("%+d", fromBlue.centipawns);
}

}  // namespace

LiveAnalysis::LiveAnalysis(EngineSetup setup, bool defaultEngine)
    : setup_(std::move(setup)), defaultEngine_(defaultEngine) {
    // The engine at its best, giving its best few lines rather than one.
    setup_.level = kMaxLevel;
    setup_.options.emplace_back("MultiPV", std::to_string(kLineCount));
}

int LiveAnalysis::msUntilDeadline() const {
    std::int64_t deadline = engine_.nextDeadline();
    if (on_ && searching_) {
        // The lines shown catch up with what the engine reported at the next repaint.
        const std::int64_t repaint = lastRead_ + kRepaintMs;
        deadline = deadline < 0 ? repaint : std::min(deadline, repaint);
    }
    return msUntil(deadline);
}

void LiveAnalysis::toggle(const Match& match) {
    const std::int64_t now = steadyMs();
    ++serial_;
    lines_.clear();
    if (on_) {
        on_ = false;
        if (searching_) {
            engine_.stop(now);
            searching_ = false;
        }
        notice_.withdraw();
        return;
    }
    on_ = true;
    if (engine_.state() == EngineState::Gone) {
        if (!engine_.start(setupForRules(setup_, match.rules()), now)) {
            EngineEvent event;
            const std::string why =
                engine_.pollEvent(event) ? event.message : "it could not be started";
            on_ = false;
            notice_.tell(defaultEngine_
                             ? "No live analysis: install fairy-stockfish, or pass --engine"
                             : "No live analysis: " + why);
            std::fprintf(stderr, "ixo-shogi: no live analysis: %s\n", why.c_str());
            return;
        }
        engine_.newGame(now);
    }
    search(match, now);
}

void LiveAnalysis::search(const Match& match, std::int64_t now) {
    stale_ = false;
    if (searching_) {
        engine_.stop(now);
        searching_ = false;
    }
    lines_.clear();
    ++serial_;
    if (match.finished()) {
        notice_.say("Live analysis: nothing to search, the game is over here");
        return;
    }
    std::string sfen;
    std::vector<std::string> moves;
    std::string error;
    if (!enginePosition(match, sfen, moves, error)) {
        notice_.say("Live analysis: the engine cannot be given this position: " + error);
        return;
    }
    GoTimes times;
    times.moverSide = match.position().sideToMove;
    times.byoyomiMs = kSearchMs;
    if (!engine_.go(sfen, moves, times, now)) {
        notice_.say("Live analysis: the engine is not ready");
        return;
    }
    searching_ = true;
    lastRead_ = now;
    notice_.say("Live analysis: L stops, 1-3 or a click shows a line");
}

void LiveAnalysis::update(const Match& match) {
    const std::int64_t now = steadyMs();
    engine_.update(now);
    if (!on_) {
        // Read and dropped, so that nothing the engine still sends keeps the loop awake.
        EngineEvent event;
        while (engine_.pollEvent(event)) {
        }
        return;
    }
    if (stale_) {
        search(match, now);
    }
    EngineEvent event;
    bool finished = false;
    while (engine_.pollEvent(event)) {
        switch (event.kind) {
            case EngineEvent::Kind::BestMove:
            case EngineEvent::Kind::Resign:
            case EngineEvent::Kind::Win:
                if (searching_) {
                    searching_ = false;
                    finished = true;
                }
                break;
            case EngineEvent::Kind::Fault:
                searching_ = false;
                on_ = false;
                lines_.clear();
                ++serial_;
                notice_.tell("Live analysis stopped: " + event.message);
                std::fprintf(stderr, "ixo-shogi: live analysis: %s\n", event.message.c_str());
                return;
            case EngineEvent::Kind::Warning:
                std::fprintf(stderr, "ixo-shogi: %s\n", event.message.c_str());
                break;
            case EngineEvent::Kind::Ready:
            case EngineEvent::Kind::Info:
                break;
        }
    }
    if (finished || (searching_ && now - lastRead_ >= kRepaintMs)) {
        readLines(match, now);
    }
}

void LiveAnalysis::readLines(const Match& match, std::int64_t now) {
    lastRead_ = now;
    std::vector<Line> read;
    for (const SearchInfo& info : engine_.searchLines()) {
        if (info.principalVariation.empty() || info.score.kind == Score::Kind::None) {
            continue;
        }
        Line line;
        line.score = scoreText(info.score.fromBlue(match.position().sideToMove));
        Position position = match.position();
        // A copy: the moves' vector moves its elements as it grows.
        Move previous = match.lastMove() ? *match.lastMove() : Move{};
        bool hasPrevious = match.lastMove() != nullptr;
        for (const std::string& text : info.principalVariation) {
            Move made;
            if (!playEngineMove(match.rules(), position, text, made)) {
                break;  // the rest of the line stands on a move our rules refuse
            }
            line.text += withoutOrigin(markedMoveText(made, hasPrevious ? &previous : nullptr));
            line.moves.push_back(made);
            previous = made;
            hasPrevious = true;
        }
        if (!line.moves.empty()) {
            read.push_back(std::move(line));
        }
    }
    if (read.size() > static_cast<std::size_t>(kLineCount)) {
        read.resize(kLineCount);
    }
    const bool same =
        read.size() == lines_.size() &&
        std::equal(read.begin(), read.end(), lines_.begin(), [](const Line& a, const Line& b) {
            return a.score == b.score && a.text == b.text;
        });
    if (!same) {
        lines_ = std::move(read);
        ++serial_;
    }
}

}  // namespace ixo
