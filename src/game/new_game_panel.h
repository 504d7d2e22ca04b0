#pragma once

#include <optional>
#include <string>
#include <vector>

#include "SDL.h"
#include "game/geometry.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "settings/settings.h"

namespace ixo {

// The choice of the next game, drawn over the board: rules, opponent, level, clock and
// handicap, each a row of cells that a click chooses. It only edits a GameChoice; starting
// the game it describes is the caller's work, so that Cancel can never disturb the game on
// the board.
class NewGamePanel {
  public:
    enum class Result { None, Start, Close };
    enum class Row { Rules, Opponent, Level, Clock, Handicap, Giver, Buttons };

    // One cell the pointer can choose, where it is drawn.
    struct Cell {
        Row row;
        int index;  // into the row's own choices
        std::string label;
        Box box;
    };

    // Opens with `current` chosen: the game on the board, or the remembered one. The clock
    // given with --clock, if any, is offered beside the usual ones. With `serverOffered`
    // (this run's --server), the opponent may also be whoever that server pairs us with;
    // `onServer` says the game on the board was played there.
    void open(const GameChoice& current, std::optional<TimeControl> commandLineClock,
              bool serverOffered = false, bool onServer = false);
    bool isOpen() const { return open_; }
    void close() { open_ = false; }

    // One pass of input. Start and Close also close the panel; after Start, choice() is the
    // game to begin.
    Result handle(const Mouse& mouse, const Keyboard& keyboard);
    const GameChoice& choice() const { return choice_; }
    // After Start: the game chosen is one on the server, which decides everything else.
    bool serverChosen() const { return serverChosen_; }

    // Paints the panel over what `screen` holds, inside box() only.
    void draw(SDL_Surface* screen) const;

    // What the panel covers, centred on the frame.
    Box box() const { return box_; }
    // Rows that do not apply to the game as chosen take no clicks and show no cells.
    bool applies(Row row) const;
    bool chosen(const Cell& cell) const;
    const std::vector<Cell>& cells() const { return cells_; }
    // The cell of `row` at `index`, or nullptr when the row has no such cell.
    const Cell* cellOf(Row row, int index) const;
    const std::vector<TimeControl>& clocks() const { return clocks_; }

  private:
    void layOut();
    void choose(const Cell& cell);
    void setLevel(int level);
    GameChoice started() const;

    bool open_ = false;
    GameChoice choice_;
    bool serverOffered_ = false;
    bool serverChosen_ = false;
    std::vector<TimeControl> clocks_;
    std::vector<std::string> handicaps_;  // KIF names, "" for the even game first
    std::vector<Cell> cells_;
    Box box_{};
    std::vector<std::pair<Row, int>> rowTops_;  // where each row's label stands
};

// A clock as the panel names it: "None", "10m + byo 30s", "3m + inc 2s", "30s a move".
std::string clockLabel(const TimeControl& control);

}  // namespace ixo
