#include "game/evaluation_graph.h"

#include <algorithm>
#include <cmath>

#include "analysis/move_verdict.h"

namespace ixo {
namespace {

struct Colour {
    Uint8 r, g, b;
};
// The dark blue-grey of the side panel, and the sides' own hues.
constexpr Colour kPanel{28, 34, 46};
constexpr Colour kMidline{80, 88, 104};
constexpr Colour kBlueArea{56, 96, 176};
constexpr Colour kBlueLine{136, 184, 248};
constexpr Colour kRedArea{120, 40, 48};
constexpr Colour kUnknown{48, 54, 66};
constexpr Colour kMarker{248, 232, 120};
constexpr Colour kTrack{40, 44, 56};
constexpr Colour kProgress{96, 200, 120};

void fill(SDL_Surface* target, int x, int y, int w, int h, Colour c) {
    if (w <= 0 || h <= 0) {
        return;
    }
    SDL_Rect rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                  static_cast<Uint16>(h)};
    SDL_FillRect(target, &rect, SDL_MapRGB(target->format, c.r, c.g, c.b));
}

}  // namespace

EvaluationGraph::EvaluationGraph(Box area) : area_(area) {}

std::vector<std::optional<double>> EvaluationGraph::chancesAlong(const GameRecord& record) {
    std::vector<std::optional<double>> chances;
    for (const RecordNode* node = &record.root(); node != nullptr; node = node->mainChild()) {
        // An ending is not a position of its own; it adds no ply to the chart.
        if (node->isEnd()) {
            break;
        }
        chances.push_back(node->evaluated ? std::optional<double>(winChance(node->evaluation))
                                          : std::nullopt);
    }
    return chances;
}

void EvaluationGraph::setChances(std::vector<std::optional<double>> chances) {
    if (chances != chances_) {
        chances_ = std::move(chances);
        ++version_;
    }
}

void EvaluationGraph::setCurrent(int ply) {
    if (ply != current_) {
        current_ = ply;
        ++version_;
    }
}

void EvaluationGraph::setProgress(int done, int total) {
    total = std::max(total, 0);
    done = std::clamp(done, 0, total);
    if (done != done_ || total != total_) {
        done_ = done;
        total_ = total;
        ++version_;
    }
}

Box EvaluationGraph::chart() const {
    return {area_.left, area_.top, area_.width, std::max(area_.height - kProgressHeight - 1, 1)};
}

// Plies spread evenly over the chart's columns, the first on the left edge and the last on the
// right, however many there are; worked in 64 bits so a thousand plies cannot overflow.
int EvaluationGraph::xOfPly(int ply) const {
    const Box box = chart();
    const int last = static_cast<int>(chances_.size()) - 1;
    if (last <= 0) {
        return box.left;
    }
    return box.left + static_cast<int>((std::int64_t{ply} * (box.width - 1) + last / 2) / last);
}

int EvaluationGraph::yOfChance(double chance) const {
    const Box box = chart();
    const double clamped = std::clamp(chance, 0.0, 100.0);
    return box.top + static_cast<int>(std::lround((100.0 - clamped) * (box.height - 1) / 100.0));
}

int EvaluationGraph::plyAt(int x, int y) const {
    const Box box = chart();
    if (!box.contains(x, y) || chances_.empty()) {
        return -1;
    }
    const int last = static_cast<int>(chances_.size()) - 1;
    if (last == 0 || box.width == 1) {
        return 0;
    }
    // The nearest ply by the very columns xOfPly draws, so a click on a mark selects it.
    const std::int64_t guess = (std::int64_t{x - box.left} * last) / (box.width - 1);
    int best = static_cast<int>(std::clamp<std::int64_t>(guess, 0, last));
    for (int candidate = std::max(best - 1, 0); candidate <= std::min(best + 1, last);
         ++candidate) {
        if (std::abs(xOfPly(candidate) - x) < std::abs(xOfPly(best) - x)) {
            best = candidate;
        }
    }
    return best;
}

void EvaluationGraph::draw(SDL_Surface* target) const {
    fill(target, area_.left, area_.top, area_.width, area_.height, kPanel);
    const Box box = chart();
    const int mid = yOfChance(50.0);
    const int last = static_cast<int>(chances_.size()) - 1;
    // Each ply owns the columns from its own to the next one's; with more plies than columns
    // several share one and the later simply paints over.
    for (int ply = 0; ply <= last; ++ply) {
        const int x0 = xOfPly(ply);
        const int x1 = ply < last ? std::max(xOfPly(ply + 1), x0 + 1) : x0 + 1;
        if (!chances_[ply]) {
            // Unknown plies are shaded flat: no line is drawn across what the engine never saw.
            fill(target, x0, box.top, x1 - x0, box.height, kUnknown);
            continue;
        }
        const int y = yOfChance(*chances_[ply]);
        fill(target, x0, box.top, x1 - x0, y - box.top, kRedArea);
        fill(target, x0, y, x1 - x0, box.top + box.height - y, kBlueArea);
        fill(target, x0, y, x1 - x0, 1, kBlueLine);
        // Joins the line to the next known ply's height so steep swings stay connected.
        if (ply < last && chances_[ply + 1]) {
            const int next = yOfChance(*chances_[ply + 1]);
            fill(target, x1 - 1, std::min(y, next), 1, std::abs(next - y) + 1, kBlueLine);
        }
    }
    fill(target, box.left, mid, box.width, 1, kMidline);
    if (current_ >= 0 && current_ <= last) {
        fill(target, xOfPly(current_), box.top, 1, box.height, kMarker);
    }
    if (total_ > 0) {
        const int top = area_.top + area_.height - kProgressHeight;
        fill(target, area_.left, top, area_.width, kProgressHeight, kTrack);
        const int width = static_cast<int>(std::int64_t{done_} * area_.width / total_);
        fill(target, area_.left, top, width, kProgressHeight, kProgress);
    }
}

}  // namespace ixo
