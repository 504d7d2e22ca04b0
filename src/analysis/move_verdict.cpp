#include "analysis/move_verdict.h"

#include <cmath>

#include "analysis/engine_line.h"
#include "record/evaluation_comments.h"

namespace ixo {

namespace {

// ShogiHome's sigmoid coefficient: 600 centipawns is about a 16-point lead in win chance.
constexpr double kCentipawnScale = 600.0;

bool isMate(const Evaluation& evaluation) {
    return evaluation.mateIn != 0 || evaluation.centipawns >= kUnknownMateCentipawns ||
           evaluation.centipawns <= -kUnknownMateCentipawns;
}

}  // namespace

double winChance(const Evaluation& evaluation) {
    if (isMate(evaluation)) {
        const bool blueMates =
            evaluation.mateIn != 0 ? evaluation.mateIn > 0 : evaluation.centipawns > 0;
        return blueMates ? 100.0 : 0.0;
    }
    return 100.0 / (1.0 + std::exp(-evaluation.centipawns / kCentipawnScale));
}

MoveLabel labelForLoss(double pointsLost) {
    if (pointsLost >= 50) {
        return MoveLabel::Blunder;
    }
    if (pointsLost >= 20) {
        return MoveLabel::Mistake;
    }
    if (pointsLost >= 10) {
        return MoveLabel::Dubious;
    }
    if (pointsLost >= 5) {
        return MoveLabel::Inaccuracy;
    }
    return MoveLabel::None;
}

const char* labelText(MoveLabel label) {
    switch (label) {
        case MoveLabel::Inaccuracy:
            return "緩手";
        case MoveLabel::Dubious:
            return "疑問手";
        case MoveLabel::Mistake:
            return "悪手";
        case MoveLabel::Blunder:
            return "大悪手";
        case MoveLabel::None:
            break;
    }
    return "";
}

std::string firstMoveOf(const std::string& line) {
    // Each move begins with its mover's mark, so the first ends where the second begins.
    static const std::string kMarks[] = {"▲", "△"};
    std::size_t next = std::string::npos;
    for (const std::string& mark : kMarks) {
        const std::size_t at = line.find(mark, 1);
        if (at != std::string::npos && at < next) {
            next = at;
        }
    }
    return line.substr(0, next);
}

MoveLabel labelOf(const GameRecord& record, const RecordNode& node) {
    const RecordNode* before = node.parent;
    if (!before || node.isEnd() || !node.evaluated || !before->evaluated) {
        return MoveLabel::None;
    }
    // A line's first move names its square, never 同 (see lineText). Other programs write
    // it without the origin ("▲７六歩"), which then is left out of the move played too.
    const std::string best = firstMoveOf(before->evaluation.line);
    std::string played = markedMoveText(node.move, nullptr);
    const std::size_t origin = played.rfind('(');
    if (best.find('(') == std::string::npos && origin != std::string::npos) {
        played.erase(origin);
    }
    if (!best.empty() && best == played) {
        return MoveLabel::None;
    }
    const double blueBefore = winChance(before->evaluation);
    const double blueAfter = winChance(node.evaluation);
    const bool blueMoved = node.mover(record.start.sideToMove) == 0;
    return labelForLoss(blueMoved ? blueBefore - blueAfter : blueAfter - blueBefore);
}

LabelCounts countLabels(const GameRecord& record) {
    LabelCounts counts{};
    for (const RecordNode* node = record.root().mainChild(); node; node = node->mainChild()) {
        const MoveLabel label = labelOf(record, *node);
        if (label != MoveLabel::None) {
            ++counts[node->mover(record.start.sideToMove)][static_cast<int>(label)];
        }
    }
    return counts;
}

}  // namespace ixo
