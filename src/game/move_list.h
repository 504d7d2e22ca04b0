#pragma once

#include <string>
#include <vector>

#include "SDL.h"

#include "game/geometry.h"
#include "record/game_tree.h"

namespace ixo {

class TrueTypeText;

// The game as a list of numbered moves in KIF notation, beside the board: the line through
// the current move, from the start to that line's end, the current move marked, a mark where
// other moves were played, and the engine's label of a move once it has one. It keeps the
// current move in view unless the wheel has scrolled it away, and tells a click's row.
class MoveList {
  public:
    explicit MoveList(Box area) : area_(area) {}

    // The rows of the line through `current`. Only a changed line rewrites the rows' text, so
    // a step along the same line costs a walk of the line and no more.
    void follow(const GameRecord& record, const RecordNode& current);
    // The wheel: `rows` down (negative: up), no further than the rows go.
    void scrollBy(int rows);
    // The node of the row under a window pixel; null off the rows.
    const RecordNode* nodeAt(int x, int y) const;
    // Paints the whole area: the rows in view, the current one on a bar. Without a font the
    // rows are bars and blanks, still where a click finds them.
    void draw(SDL_Surface* target, const TrueTypeText& font) const;

    int firstShown() const { return first_; }
    int rowsShown() const { return area_.height / kRowHeight; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    int currentRow() const { return current_; }
    // "  12 ▲７六歩": a row's number and move as drawn, without its label.
    const std::string& rowText(int row) const { return rows_[static_cast<std::size_t>(row)].text; }
    // Whether the row carries the mark of other moves played at its point.
    bool rowBranches(int row) const { return rows_[static_cast<std::size_t>(row)].branches; }
    // The label the row shows ("悪手"), empty for none.
    std::string rowLabel(int row) const;

    static constexpr int kRowHeight = 17;

  private:
    struct Row {
        const RecordNode* node;
        std::string text;
        bool branches;     // other moves were played at this point
        bool offMainLine;  // a variation's move
        // What the text was made from. A node keeps its address when an ending is judged
        // again in its place or its line becomes the main one, so the same nodes in the same
        // order do not mean the same rows.
        LineEnd end;
        Move move;
    };

    // Whether `line` of `record` would make the rows there are, each as it stands.
    bool rowsStillShow(const GameRecord& record, const std::vector<const RecordNode*>& line) const;

    Box area_;
    const GameRecord* record_ = nullptr;
    std::vector<const RecordNode*> line_;  // what the rows were made from
    std::vector<Row> rows_;
    int first_ = 0;
    int current_ = 0;
    const RecordNode* followed_ = nullptr;
    int firstMover_ = 0;
};

// `text` (a comment, Japanese included) wrapped into `area` and painted over the panel's
// colour, cut at the area's bottom edge.
void drawComment(SDL_Surface* target, const TrueTypeText& font, Box area, const std::string& text,
                 SDL_Color colour);

// The review panel's own colours: its ground, and the bar under the current row or line.
constexpr SDL_Color kReviewGround{0x1c, 0x22, 0x2c, 0};
constexpr SDL_Color kReviewBar{0x30, 0x48, 0x70, 0};

// Fills `box` on `target` within the clip already set there, which a partial repaint keeps.
void fillBox(SDL_Surface* target, Box box, SDL_Color colour);
// Narrows `target`'s clip to `box` for the life of this object, then restores it.
class ClipTo {
  public:
    ClipTo(SDL_Surface* target, Box box);
    ~ClipTo();
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;
    // False when nothing of `box` lies inside the clip there was.
    bool any() const { return any_; }

  private:
    SDL_Surface* target_;
    SDL_Rect saved_;
    bool any_;
};

}  // namespace ixo
