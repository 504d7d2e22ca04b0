#include "record/tree_building.h"

#include <utility>

#include "record/replay.h"

namespace ixo {

bool TreeBuilding::fail(std::string reason) {
    result_.errorLine = lineNumber_;
    result_.error = std::move(reason);
    return false;
}

void TreeBuilding::warn(int line, const std::string& what) {
    result_.warnings.push_back(std::to_string(line) + ": " + what);
}

bool TreeBuilding::fault(std::string reason) {
    if (inMainLine_) {
        return fail(std::move(reason));
    }
    warn(reason + "; the variation from move " + std::to_string(variationPly_) + " (line " +
         std::to_string(variationLine_) + ") is left out");
    if (variationStart_) {
        record_.remove(*variationStart_);
        variationStart_ = nullptr;
    }
    current_ = branchPoint_;
    skipping_ = true;
    return true;
}

void TreeBuilding::openVariation(long ply) {
    if (record_.root().children.empty()) {
        // Some writers leave a stray 変化 line in the header; before the moves it says nothing.
        return;
    }
    inMainLine_ = false;
    closed_ = false;
    skipping_ = true;
    variationStart_ = nullptr;
    variationLine_ = lineNumber_;
    variationPly_ = ply;
    if (variations_ == kKifMaxVariations) {
        warn("more than " + std::to_string(kKifMaxVariations) +
             " variations; the rest are left out");
    }
    if (++variations_ > kKifMaxVariations) {
        return;
    }
    RecordNode* at = variationBranchPoint(*current_, ply);
    if (!at) {
        warn("a variation from move " + std::to_string(ply) +
             " with no move before it to branch from; it is left out");
        return;
    }
    branchPoint_ = at;
    current_ = at;
    position_ = positionAt(record_, *at);
    skipping_ = false;
}

RecordNode* TreeBuilding::placed(RecordNode* node, std::size_t childrenBefore) {
    if (!variationStart_ && !inMainLine_ && current_->children.size() > childrenBefore) {
        variationStart_ = node;
    }
    current_ = node;
    return node;
}

RecordNode* TreeBuilding::placeMove(const Move& made) {
    const std::size_t before = current_->children.size();
    RecordNode* node = record_.addMove(*current_, made, GameRecord::Placement::Variation);
    if (inMainLine_) {
        ++mainMoves_;
    }
    return placed(node, before);
}

RecordNode* TreeBuilding::placeEnd(LineEnd end) {
    const std::size_t before = current_->children.size();
    return placed(record_.addEnd(*current_, end, GameRecord::Placement::Variation), before);
}

}  // namespace ixo
