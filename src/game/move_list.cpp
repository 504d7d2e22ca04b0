#include "game/move_list.h"

#include <algorithm>

#include "analysis/move_verdict.h"
#include "media/ttf_text.h"
#include "record/kif_syntax.h"
#include "shogi/notation.h"
#include "util/format.h"

namespace ixo {

namespace {

constexpr SDL_Color kMainText{0xe8, 0xe4, 0xd8, 0};
constexpr SDL_Color kVariationText{0xa8, 0xc4, 0xe8, 0};
constexpr SDL_Color kLabelText{0xf4, 0x90, 0x78, 0};

// "▲７六歩": the move as a list shows it, its origin left to the board.
std::string moveText(const RecordNode& node, int firstMover) {
    const char* mark = node.mover(firstMover) == 0 ? "▲" : "△";
    if (node.isEnd()) {
        return std::string(lineEndWord(node.end));
    }
    const Move* previous = node.parent && !node.parent->isRoot() ? &node.parent->move : nullptr;
    std::string text = kifMoveText(node.move, previous);
    const std::size_t origin = text.rfind('(');
    if (origin != std::string::npos) {
        text.erase(origin);
    }
    return mark + text;
}

}  // namespace

void fillBox(SDL_Surface* target, Box box, SDL_Color colour) {
    SDL_Rect rect{static_cast<Sint16>(box.left), static_cast<Sint16>(box.top),
                  static_cast<Uint16>(std::max(box.width, 0)),
                  static_cast<Uint16>(std::max(box.height, 0))};
    SDL_FillRect(target, &rect, SDL_MapRGB(target->format, colour.r, colour.g, colour.b));
}

ClipTo::ClipTo(SDL_Surface* target, Box box) : target_(target) {
    SDL_GetClipRect(target_, &saved_);
    const int left = std::max<int>(saved_.x, box.left);
    const int top = std::max<int>(saved_.y, box.top);
    const int right = std::min<int>(saved_.x + saved_.w, box.left + box.width);
    const int bottom = std::min<int>(saved_.y + saved_.h, box.top + box.height);
    any_ = right > left && bottom > top;
    SDL_Rect inside{static_cast<Sint16>(left), static_cast<Sint16>(top),
                    static_cast<Uint16>(any_ ? right - left : 0),
                    static_cast<Uint16>(any_ ? bottom - top : 0)};
    SDL_SetClipRect(target_, &inside);
}

ClipTo::~ClipTo() {
    SDL_SetClipRect(target_, &saved_);
}

namespace {

bool branchesAt(const RecordNode& node) {
    return node.parent && node.parent->children.size() > 1;
}

// Once a line leaves the main line, every move after it is a variation's too.
bool leavesMainLine(const RecordNode& node, bool offBefore) {
    return offBefore || (node.parent && node.parent->mainChild() != &node);
}

}  // namespace

bool MoveList::rowsStillShow(const GameRecord& record,
                             const std::vector<const RecordNode*>& line) const {
    if (&record != record_ || line != line_ || record.start.sideToMove != firstMover_) {
        return false;
    }
    bool offMainLine = false;
    for (std::size_t index = 0; index < line.size(); ++index) {
        const RecordNode& node = *line[index];
        const Row& row = rows_[index];
        offMainLine = leavesMainLine(node, offMainLine);
        if (row.end != node.end || row.move != node.move || row.branches != branchesAt(node) ||
            row.offMainLine != offMainLine) {
            return false;
        }
    }
    return true;
}

void MoveList::follow(const GameRecord& record, const RecordNode& current) {
    std::vector<const RecordNode*> line = GameRecord::path(current);
    for (const RecordNode* next = current.mainChild(); next; next = next->mainChild()) {
        line.push_back(next);
    }
    line.insert(line.begin(), &record.root());
    const bool sameRows = rowsStillShow(record, line);
    if (!sameRows) {
        record_ = &record;
        line_ = std::move(line);
        firstMover_ = record.start.sideToMove;
        rows_.clear();
        rows_.reserve(line_.size());
        bool offMainLine = false;
        for (const RecordNode* node : line_) {
            offMainLine = leavesMainLine(*node, offMainLine);
            Row row{node, "", branchesAt(*node), offMainLine, node->end, node->move};
            row.text = node->isRoot()
                           ? "   開始局面"
                           : formatString("%4d ", node->ply) + moveText(*node, firstMover_);
            rows_.push_back(std::move(row));
        }
    }
    const int at =
        static_cast<int>(std::find(line_.begin(), line_.end(), &current) - line_.begin());
    if (!sameRows || &current != followed_) {
        current_ = at;
        // Just enough to bring the current row into view, with a row of what comes after it
        // when there is room for two.
        const int shown = std::max(rowsShown(), 1);
        const int after = shown > 1 ? 1 : 0;
        if (current_ < first_) {
            first_ = current_;
        } else if (current_ + after >= first_ + shown) {
            first_ = current_ + after + 1 - shown;
        }
        first_ = std::clamp(first_, 0, std::max(rowCount() - shown, 0));
    }
    followed_ = &current;
}

void MoveList::scrollBy(int rows) {
    first_ = std::clamp(first_ + rows, 0, std::max(rowCount() - rowsShown(), 0));
}

const RecordNode* MoveList::nodeAt(int x, int y) const {
    if (!area_.contains(x, y)) {
        return nullptr;
    }
    const int row = first_ + (y - area_.top) / kRowHeight;
    return row < rowCount() && (y - area_.top) / kRowHeight < rowsShown()
               ? rows_[static_cast<std::size_t>(row)].node
               : nullptr;
}

std::string MoveList::rowLabel(int row) const {
    const Row& shown = rows_[static_cast<std::size_t>(row)];
    if (!record_ || shown.node->isRoot()) {
        return "";
    }
    return labelText(labelOf(*record_, *shown.node));
}

void MoveList::draw(SDL_Surface* target, const TrueTypeText& font) const {
    ClipTo clip(target, area_);
    if (!clip.any()) {
        return;
    }
    fillBox(target, area_, kReviewGround);
    const int last = std::min(rowCount(), first_ + rowsShown());
    for (int row = first_; row < last; ++row) {
        const Row& shown = rows_[static_cast<std::size_t>(row)];
        const int top = area_.top + (row - first_) * kRowHeight;
        if (row == current_) {
            fillBox(target, Box{area_.left, top, area_.width, kRowHeight}, kReviewBar);
        }
        if (!font.ready()) {
            continue;
        }
        const int textTop = top + (kRowHeight - font.lineHeight()) / 2;
        const SDL_Color colour = shown.offMainLine ? kVariationText : kMainText;
        font.draw(target, area_.left + 4, textTop, shown.text, colour);
        if (shown.branches) {
            font.draw(target, area_.left + 4 + font.width(shown.text) + 2, textTop, "+",
                      kVariationText);
        }
        const std::string label = rowLabel(row);
        if (!label.empty()) {
            font.draw(target, area_.left + area_.width - 4 - font.width(label), textTop, label,
                      kLabelText);
        }
    }
}

void drawComment(SDL_Surface* target, const TrueTypeText& font, Box area, const std::string& text,
                 SDL_Color colour) {
    ClipTo clip(target, area);
    if (!clip.any()) {
        return;
    }
    fillBox(target, area, kReviewGround);
    if (!font.ready() || text.empty()) {
        return;
    }
    int top = area.top + 2;
    for (const std::string& line : font.wrap(text, area.width - 8)) {
        if (top >= area.top + area.height) {
            break;
        }
        font.draw(target, area.left + 4, top, line, colour);
        top += font.lineHeight();
    }
}

}  // namespace ixo
