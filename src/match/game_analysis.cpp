#include "match/game_analysis.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "match/engine_moves.h"
#include "util/format.h"

namespace ixo {

GameAnalysis::GameAnalysis(EngineSetup setup, bool defaultEngine, int msPerMove)
    : setup_(std::move(setup)), defaultEngine_(defaultEngine), msPerMove_(msPerMove) {}

GameAnalysis::~GameAnalysis() = default;

int GameAnalysis::msUntilDeadline() const {
    return msUntil(analyser_.nextDeadline());
}

void GameAnalysis::toggle(Match& match) {
    if (running()) {
        stop();
        return;
    }
    ++serial_;
    reportedDone_ = -1;
    record_ = &match.annotations();
    if (!analyser_.start(match.annotations(), setup_, msPerMove_, steadyMs())) {
        const std::string& why = analyser_.reason();
        notice_.tell(defaultEngine_ ? "No analysis: install fairy-stockfish, or pass --engine"
                                    : "No analysis: " + why);
        std::fprintf(stderr, "ixo-shogi: no analysis: %s\n", why.c_str());
        record_ = nullptr;
        return;
    }
    update(match);
}

void GameAnalysis::stop() {
    if (!running()) {
        return;
    }
    analyser_.stop(steadyMs());
    ++serial_;
    notice_.tell(formatString("Analysis stopped: %d of %d positions done", done(), total()));
}

void GameAnalysis::update(Match& match) {
    if (analyser_.state() != RecordAnalyser::State::Running) {
        return;
    }
    analyser_.update(steadyMs());
    for (const std::string& warning : analyser_.takeWarnings()) {
        std::fprintf(stderr, "ixo-shogi: analysis: %s\n", warning.c_str());
    }
    if (done() != reportedDone_) {
        if (reportedDone_ >= 0 && done() > reportedDone_) {
            match.annotated();
        }
        reportedDone_ = done();
        ++serial_;
        notice_.offer(formatString("Analysing: %d of %d positions (A stops)", done(), total()));
    }
    switch (analyser_.state()) {
        case RecordAnalyser::State::Finished:
            ++serial_;
            notice_.tell(summary(*record_));
            break;
        case RecordAnalyser::State::Failed:
            ++serial_;
            notice_.tell(formatString("Analysis failed at %d of %d: ", done(), total()) +
                         analyser_.reason());
            std::fprintf(stderr, "ixo-shogi: analysis failed: %s\n", analyser_.reason().c_str());
            break;
        default:
            break;
    }
}

void GameAnalysis::onMatchEvent(const Match&, MatchEvent event, const Move&) {
    // The nodes under analysis went with the record they belonged to.
    if (event == MatchEvent::NewGame && running()) {
        analyser_.stop(steadyMs());
        ++serial_;
        notice_.clear();
    }
    if (event == MatchEvent::NewGame) {
        record_ = nullptr;
    }
}

std::string GameAnalysis::summary(const GameRecord& record) const {
    // In English: the line under the board has the bitmap font, which holds no kanji. The
    // line ends before Blue's hand, so it counts the three worst kinds; the terminal gets all
    // four, and the list shows each label as the record writes it.
    const LabelCounts counts = countLabels(record);
    const auto pair = [&counts](MoveLabel label) {
        const auto kind = static_cast<std::size_t>(label);
        return formatString("%d/%d", counts[0][kind], counts[1][kind]);
    };
    std::fprintf(stderr,
                 "ixo-shogi: analysed; Blue/Red: %s blunders, %s mistakes, %s dubious moves, "
                 "%s inaccuracies\n",
                 pair(MoveLabel::Blunder).c_str(), pair(MoveLabel::Mistake).c_str(),
                 pair(MoveLabel::Dubious).c_str(), pair(MoveLabel::Inaccuracy).c_str());
    return "Blue/Red: " + pair(MoveLabel::Blunder) + " blunders, " + pair(MoveLabel::Mistake) +
           " mistakes, " + pair(MoveLabel::Dubious) + " dubious";
}

}  // namespace ixo
