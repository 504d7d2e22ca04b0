#pragma once

#include <optional>
#include <vector>

#include "SDL.h"
#include "game/geometry.h"
#include "record/game_tree.h"

namespace ixo {

// The course of a game as the engine saw it: Blue's chance along the main line, the move
// being looked at, and how far the analysis has got. Owns nothing but what it is told.
class EvaluationGraph {
  public:
    // Analysis progress has its own strip under the chart, so the chart stays visible.
    static constexpr int kProgressHeight = 6;

    explicit EvaluationGraph(Box area);

    // Blue's chance (0..100) after each ply of the main line, index 0 the start position;
    // nullopt where the node has no evaluation.
    static std::vector<std::optional<double>> chancesAlong(const GameRecord& record);

    void setChances(std::vector<std::optional<double>> chances);
    void setCurrent(int ply);  // -1 marks none
    // `done` of `total` positions analysed; total 0 hides the bar.
    void setProgress(int done, int total);

    // The nearest ply to a click on the chart; -1 off the chart or with no plies.
    int plyAt(int x, int y) const;
    // The column a ply is drawn at; plyAt inverts it.
    int xOfPly(int ply) const;
    // The row a chance is drawn at: 100 on the top row of the chart, 0 on its bottom row.
    int yOfChance(double chance) const;
    Box chart() const;

    // Bumped by every setter that changes what is drawn, for callers that skip frames.
    unsigned version() const { return version_; }

    void draw(SDL_Surface* target) const;

  private:
    Box area_;
    std::vector<std::optional<double>> chances_;
    int current_ = -1;
    int done_ = 0;
    int total_ = 0;
    unsigned version_ = 0;
};

}  // namespace ixo
