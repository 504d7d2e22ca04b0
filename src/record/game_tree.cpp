#include "record/game_tree.h"

#include <algorithm>
#include <utility>

namespace ixo {

int RecordNode::indexOf(const RecordNode* child) const {
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].get() == child) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const RecordNode* nextInWritingOrder(const RecordNode& node) {
    if (const RecordNode* next = node.mainChild()) {
        return next;
    }
    const RecordNode* at = &node;
    while (at->parent && at->parent->children.back().get() == at) {
        at = at->parent;
    }
    if (!at->parent) {
        return nullptr;
    }
    return at->parent->children[at->parent->indexOf(at) + 1].get();
}

RecordNode* variationBranchPoint(RecordNode& at, long ply) {
    if (ply < 1) {
        return nullptr;
    }
    RecordNode* node = &at;
    while (node->ply > ply - 1) {
        node = node->parent;
    }
    return node->ply != ply - 1 || node->isEnd() ? nullptr : node;
}

namespace {

// Copies everything below `from` under `to`, iteratively: a record of ten thousand moves
// would otherwise recurse ten thousand frames deep.
void copyChildren(const RecordNode& from, RecordNode& to) {
    std::vector<std::pair<const RecordNode*, RecordNode*>> pending{{&from, &to}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        for (const auto& child : source->children) {
            auto copy = std::make_unique<RecordNode>();
            copy->parent = target;
            copy->ply = child->ply;
            copy->move = child->move;
            copy->end = child->end;
            copy->time = child->time;
            copy->timed = child->timed;
            copy->comment = child->comment;
            copy->bookmark = child->bookmark;
            copy->sealed = child->sealed;
            copy->evaluated = child->evaluated;
            copy->evaluation = child->evaluation;
            target->children.push_back(std::move(copy));
            pending.emplace_back(child.get(), target->children.back().get());
        }
    }
}

// Frees a subtree without recursing once per node, for the same reason.
void release(std::unique_ptr<RecordNode> node) {
    if (!node) {
        return;
    }
    std::vector<std::unique_ptr<RecordNode>> pending;
    pending.push_back(std::move(node));
    while (!pending.empty()) {
        std::unique_ptr<RecordNode> next = std::move(pending.back());
        pending.pop_back();
        for (auto& child : next->children) {
            pending.push_back(std::move(child));
        }
    }
}

RecordNode* place(RecordNode& at, std::unique_ptr<RecordNode> node,
                  GameRecord::Placement placement) {
    node->parent = &at;
    node->ply = at.ply + 1;
    auto where =
        placement == GameRecord::Placement::MainLine ? at.children.begin() : at.children.end();
    return at.children.insert(where, std::move(node))->get();
}

void makeMain(RecordNode& at, int index) {
    std::rotate(at.children.begin(), at.children.begin() + index, at.children.begin() + index + 1);
}

}  // namespace

GameRecord::GameRecord() : root_(std::make_unique<RecordNode>()) {}

GameRecord::~GameRecord() {
    release(std::move(root_));
}

GameRecord::GameRecord(GameRecord&& other) noexcept
    : rules(other.rules),
      start(other.start),
      handicap(std::move(other.handicap)),
      headers(std::move(other.headers)),
      root_(std::move(other.root_)) {
    other.root_ = std::make_unique<RecordNode>();
}

GameRecord& GameRecord::operator=(GameRecord&& other) noexcept {
    if (this != &other) {
        rules = other.rules;
        start = other.start;
        handicap = std::move(other.handicap);
        headers = std::move(other.headers);
        release(std::move(root_));
        root_ = std::move(other.root_);
        other.root_ = std::make_unique<RecordNode>();
    }
    return *this;
}

GameRecord::GameRecord(const GameRecord& other)
    : rules(other.rules),
      start(other.start),
      handicap(other.handicap),
      headers(other.headers),
      root_(std::make_unique<RecordNode>()) {
    root_->comment = other.root_->comment;
    root_->bookmark = other.root_->bookmark;
    root_->time = other.root_->time;
    root_->timed = other.root_->timed;
    root_->evaluated = other.root_->evaluated;
    root_->evaluation = other.root_->evaluation;
    copyChildren(*other.root_, *root_);
}

GameRecord& GameRecord::operator=(const GameRecord& other) {
    if (this != &other) {
        GameRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

RecordNode* GameRecord::addMove(RecordNode& at, const Move& move, Placement placement) {
    for (std::size_t i = 0; i < at.children.size(); ++i) {
        RecordNode& child = *at.children[i];
        if (!child.isEnd() && child.move == move) {
            if (placement == Placement::MainLine) {
                makeMain(at, static_cast<int>(i));
            }
            return &child;
        }
    }
    auto node = std::make_unique<RecordNode>();
    node->move = move;
    return place(at, std::move(node), placement);
}

RecordNode* GameRecord::addEnd(RecordNode& at, LineEnd end, Placement placement) {
    for (std::size_t i = 0; i < at.children.size(); ++i) {
        if (at.children[i]->isEnd()) {
            RecordNode& ending = *at.children[i];
            ending.end = end;
            if (placement == Placement::MainLine) {
                makeMain(at, static_cast<int>(i));
            }
            return &ending;
        }
    }
    auto node = std::make_unique<RecordNode>();
    node->end = end;
    return place(at, std::move(node), placement);
}

void GameRecord::remove(RecordNode& node) {
    if (node.isRoot()) {
        return;
    }
    RecordNode& parent = *node.parent;
    int index = parent.indexOf(&node);
    if (index < 0) {
        return;
    }
    std::unique_ptr<RecordNode> gone = std::move(parent.children[index]);
    parent.children.erase(parent.children.begin() + index);
    release(std::move(gone));
}

const RecordNode& GameRecord::mainLineEnd() const {
    const RecordNode* node = root_.get();
    while (const RecordNode* next = node->mainChild()) {
        node = next;
    }
    return *node;
}

RecordNode& GameRecord::mainLineEnd() {
    return const_cast<RecordNode&>(static_cast<const GameRecord*>(this)->mainLineEnd());
}

std::vector<const RecordNode*> GameRecord::path(const RecordNode& node) {
    std::vector<const RecordNode*> nodes;
    for (const RecordNode* at = &node; !at->isRoot(); at = at->parent) {
        nodes.push_back(at);
    }
    std::reverse(nodes.begin(), nodes.end());
    return nodes;
}

std::vector<Move> GameRecord::movesTo(const RecordNode& node) {
    std::vector<Move> moves;
    for (const RecordNode* at : path(node)) {
        if (!at->isEnd()) {
            moves.push_back(at->move);
        }
    }
    return moves;
}

std::size_t GameRecord::nodeCount() const {
    std::size_t count = 0;
    std::vector<const RecordNode*> pending{root_.get()};
    while (!pending.empty()) {
        const RecordNode* node = pending.back();
        pending.pop_back();
        ++count;
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    return count;
}

std::size_t GameRecord::variationCount() const {
    std::size_t count = 0;
    std::vector<const RecordNode*> pending{root_.get()};
    while (!pending.empty()) {
        const RecordNode* node = pending.back();
        pending.pop_back();
        if (node->children.size() > 1) {
            count += node->children.size() - 1;
        }
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    return count;
}

}  // namespace ixo
