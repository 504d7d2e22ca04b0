#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "SDL.h"
#include "game/new_game_panel.h"
#include "shogi/handicaps.h"

namespace ixo::test {
namespace {

using Row = NewGamePanel::Row;
using Result = NewGamePanel::Result;

const TimeControl kTenMinutes{600000, 30000, 0};
const TimeControl kGivenClock{300000, 10000, 0};

GameChoice computerGame() {
    GameChoice game;
    game.rules = RuleSet::Standard;
    game.computerSide = 1;
    game.level = 3;
    game.engine = "gpsusi";
    return game;
}

// Input as one pass of the main loop would leave it.
struct Pass {
    Mouse mouse;
    Keyboard keyboard;

    Pass& key(SDLKey key) {
        keyboard.noteKeyDown(key);
        return *this;
    }
    Pass& leftClickAt(int x, int y) {
        mouse.x = x;
        mouse.y = y;
        mouse.leftWasDown = 1;
        return *this;
    }
    Pass& rightClick() {
        mouse.x = 400;
        mouse.y = 300;
        mouse.rightWasDown = 1;
        return *this;
    }
    Result on(NewGamePanel& panel) {
        static const std::array<Uint8, SDLK_LAST> kNothingHeld{};
        keyboard.refreshFrom(kNothingHeld.data());
        return panel.handle(mouse, keyboard);
    }
};

Result clickCell(NewGamePanel& panel, Row row, int index) {
    const NewGamePanel::Cell* cell = panel.cellOf(row, index);
    EXPECT_NE(cell, nullptr);
    if (!cell) {
        return Result::None;
    }
    return Pass{}
        .leftClickAt(cell->box.left + cell->box.width / 2, cell->box.top + cell->box.height / 2)
        .on(panel);
}

Result press(NewGamePanel& panel, SDLKey key) {
    return Pass{}.key(key).on(panel);
}

int clockIndex(const NewGamePanel& panel, const TimeControl& control) {
    const std::vector<TimeControl>& clocks = panel.clocks();
    for (std::size_t index = 0; index < clocks.size(); ++index) {
        if (clockLabel(clocks[index]) == clockLabel(control)) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

TEST(NewGamePanel, EachRowTakesAClickOnItsCell) {
    NewGamePanel panel;
    panel.open(GameChoice{}, std::nullopt);
    ASSERT_TRUE(panel.isOpen());

    clickCell(panel, Row::Rules, 1);
    EXPECT_EQ(panel.choice().rules, RuleSet::Standard);
    clickCell(panel, Row::Opponent, 2);
    EXPECT_EQ(panel.choice().computerSide, 0);
    clickCell(panel, Row::Opponent, 1);
    EXPECT_EQ(panel.choice().computerSide, 1);
    clickCell(panel, Row::Level, 9);
    EXPECT_EQ(panel.choice().level, 10);
    clickCell(panel, Row::Level, 0);
    EXPECT_EQ(panel.choice().level, 1);
    clickCell(panel, Row::Clock, clockIndex(panel, kTenMinutes));
    EXPECT_EQ(panel.choice().timeControl.byoyomiMs, 30000);
    EXPECT_EQ(panel.choice().timeControl.mainMs, 600000);

    // Every handicap the rules know can be chosen, and the even game again after them.
    const std::vector<std::string> names = handicapNames();
    for (std::size_t index = 0; index < names.size(); ++index) {
        clickCell(panel, Row::Handicap, static_cast<int>(index) + 1);
        EXPECT_EQ(panel.choice().handicap, names[index]);
    }
    clickCell(panel, Row::Giver, 1);
    EXPECT_EQ(panel.choice().computerSide, 0) << "the player gives, so the computer is Blue";
    clickCell(panel, Row::Giver, 0);
    EXPECT_EQ(panel.choice().computerSide, 1);
    clickCell(panel, Row::Handicap, 0);
    EXPECT_EQ(panel.choice().handicap, "");
    EXPECT_TRUE(panel.isOpen()) << "choosing a cell is not starting";
}

TEST(NewGamePanel, RowsThatDoNotApplyIgnoreClicks) {
    NewGamePanel panel;
    GameChoice twoPlayers;
    twoPlayers.level = 4;
    panel.open(twoPlayers, std::nullopt);

    EXPECT_FALSE(panel.applies(Row::Level));
    clickCell(panel, Row::Level, 8);
    EXPECT_EQ(panel.choice().level, 4);
    EXPECT_FALSE(panel.applies(Row::Handicap));
    clickCell(panel, Row::Handicap, 3);
    EXPECT_EQ(panel.choice().handicap, "");

    // Under the standard rules a handicap applies, but with two players the giver is Red.
    clickCell(panel, Row::Rules, 1);
    clickCell(panel, Row::Handicap, 3);
    EXPECT_FALSE(panel.choice().handicap.empty());
    EXPECT_FALSE(panel.applies(Row::Giver));
    clickCell(panel, Row::Giver, 0);
    EXPECT_EQ(panel.choice().computerSide, -1);
}

TEST(NewGamePanel, StartReturnsTheEditedChoiceAndCloses) {
    NewGamePanel panel;
    panel.open(GameChoice{}, std::nullopt);
    clickCell(panel, Row::Rules, 1);
    clickCell(panel, Row::Opponent, 1);
    clickCell(panel, Row::Level, 2);
    clickCell(panel, Row::Handicap, 1);

    EXPECT_EQ(clickCell(panel, Row::Buttons, 0), Result::Start);
    EXPECT_FALSE(panel.isOpen());
    EXPECT_EQ(panel.choice().rules, RuleSet::Standard);
    EXPECT_EQ(panel.choice().computerSide, 1);
    EXPECT_EQ(panel.choice().level, 3);
    EXPECT_EQ(panel.choice().handicap, handicapNames().front());
    EXPECT_EQ(Pass{}.key(SDLK_RETURN).on(panel), Result::None) << "a closed panel takes no keys";
}

TEST(NewGamePanel, ASimpleGameStartsWithoutTheHandicapLeftChosen) {
    NewGamePanel panel;
    GameChoice handicapped = computerGame();
    handicapped.handicap = "角落ち";
    panel.open(handicapped, std::nullopt);
    clickCell(panel, Row::Rules, 0);
    EXPECT_EQ(panel.choice().handicap, "角落ち") << "kept while the player tries the other rules";
    ASSERT_EQ(press(panel, SDLK_RETURN), Result::Start);
    EXPECT_EQ(panel.choice().rules, RuleSet::Simple);
    EXPECT_EQ(panel.choice().handicap, "");
}

TEST(NewGamePanel, EscapeRightClickAndCancelCloseWithoutChangingTheChoice) {
    const GameChoice current = computerGame();
    for (int way = 0; way < 3; ++way) {
        NewGamePanel panel;
        panel.open(current, std::nullopt);
        clickCell(panel, Row::Level, 7);
        ASSERT_EQ(panel.choice().level, 8);
        const Result result = way == 0   ? press(panel, SDLK_ESCAPE)
                              : way == 1 ? Pass{}.rightClick().on(panel)
                                         : clickCell(panel, Row::Buttons, 1);
        EXPECT_EQ(result, Result::Close) << "way " << way;
        EXPECT_FALSE(panel.isOpen()) << "way " << way;
        // The caller keeps its game: Close hands back nothing to start, and a new opening
        // shows the game on the board again.
        panel.open(current, std::nullopt);
        EXPECT_EQ(panel.choice(), current) << "way " << way;
    }
}

TEST(NewGamePanel, KeysAreShortcuts) {
    NewGamePanel panel;
    panel.open(computerGame(), std::nullopt);
    press(panel, SDLK_7);
    EXPECT_EQ(panel.choice().level, 7);
    press(panel, SDLK_0);
    EXPECT_EQ(panel.choice().level, 10) << "0 is the tenth level, as on the cells";
    press(panel, SDLK_PLUS);
    EXPECT_EQ(panel.choice().level, 10) << "no level past the strongest";
    Pass{}.key(SDLK_MINUS).key(SDLK_MINUS).on(panel);
    EXPECT_EQ(panel.choice().level, 8) << "each press counts, even two in one pass";
    press(panel, SDLK_KP1);
    press(panel, SDLK_KP_MINUS);
    EXPECT_EQ(panel.choice().level, 1);
    EXPECT_EQ(press(panel, SDLK_KP_ENTER), Result::Start);
    EXPECT_EQ(panel.choice().level, 1);

    GameChoice twoPlayers;
    panel.open(twoPlayers, std::nullopt);
    press(panel, SDLK_9);
    EXPECT_EQ(panel.choice().level, twoPlayers.level) << "no level without a computer";
}

TEST(NewGamePanel, TheCommandLineClockIsOfferedOnlyWhenGiven) {
    NewGamePanel panel;
    panel.open(GameChoice{}, std::nullopt);
    const std::size_t usual = panel.clocks().size();
    EXPECT_EQ(clockIndex(panel, kGivenClock), -1);

    panel.open(GameChoice{}, kGivenClock);
    ASSERT_EQ(panel.clocks().size(), usual + 1);
    const int given = clockIndex(panel, kGivenClock);
    ASSERT_GE(given, 0);
    const NewGamePanel::Cell* cell = panel.cellOf(Row::Clock, given);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->label, "5m + byo 10s");
    EXPECT_FALSE(panel.chosen(*cell));
    clickCell(panel, Row::Clock, given);
    EXPECT_TRUE(panel.chosen(*cell));

    // A game that uses it opens with it chosen, and one of the usual clocks is not repeated.
    GameChoice timed;
    timed.timeControl = kGivenClock;
    panel.open(timed, kGivenClock);
    EXPECT_EQ(panel.clocks().size(), usual + 1);
    EXPECT_TRUE(panel.chosen(*panel.cellOf(Row::Clock, clockIndex(panel, kGivenClock))));
    panel.open(GameChoice{}, kTenMinutes);
    EXPECT_EQ(panel.clocks().size(), usual);

    // Started once with --clock and remembered: opening and starting must not drop it.
    timed.computerSide = 0;
    panel.open(timed, std::nullopt);
    ASSERT_GE(clockIndex(panel, kGivenClock), 0);
    ASSERT_EQ(press(panel, SDLK_RETURN), Result::Start);
    EXPECT_EQ(panel.choice(), timed);
}

// The frame the panel is drawn over, and what it reads back.
class PanelDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_ = SDL_GetVideoSurface();
        ASSERT_NE(screen_, nullptr);
        ASSERT_EQ(screen_->format->BytesPerPixel, 2);
        // A pattern no panel colour matches, so every painted pixel shows.
        for (int y = 0; y < screen_->h; ++y) {
            for (int x = 0; x < screen_->w; ++x) {
                pixelAt(x, y) = SDL_MapRGB(screen_->format, static_cast<Uint8>(x * 7),
                                           static_cast<Uint8>(y * 3), 200);
            }
        }
    }
    Uint16& pixelAt(int x, int y) {
        return static_cast<Uint16*>(screen_->pixels)[y * screen_->pitch / 2 + x];
    }
    std::vector<Uint16> pixels() {
        std::vector<Uint16> all;
        for (int y = 0; y < screen_->h; ++y) {
            for (int x = 0; x < screen_->w; ++x) {
                all.push_back(pixelAt(x, y));
            }
        }
        return all;
    }
    // Green of a lit square, as in a cell's fill just inside its edge.
    bool lit(const NewGamePanel::Cell& cell) {
        Uint8 r, g, b;
        SDL_GetRGB(pixelAt(cell.box.left + 3, cell.box.top + 3), screen_->format, &r, &g, &b);
        return g > r + 40 && g > b + 16;
    }
    bool cellDrawn(const NewGamePanel::Cell& cell) {
        Uint8 r, g, b;
        SDL_GetRGB(pixelAt(cell.box.left, cell.box.top + cell.box.height / 2), screen_->format, &r,
                   &g, &b);
        return std::abs(r - 96) < 8 && std::abs(g - 104) < 8 && std::abs(b - 120) < 8;
    }

    SDL_Surface* screen_ = nullptr;
};

TEST_F(PanelDrawing, ChangesOnlyPixelsInsideItsBox) {
    NewGamePanel panel;
    GameChoice game = computerGame();
    game.handicap = "二枚落ち";
    panel.open(game, kGivenClock);
    const std::vector<Uint16> before = pixels();
    panel.draw(screen_);
    const std::vector<Uint16> after = pixels();

    const Box box = panel.box();
    EXPECT_GE(box.left, 0);
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.left + box.width, screen_->w);
    EXPECT_LE(box.top + box.height, screen_->h);
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < screen_->h; ++y) {
        for (int x = 0; x < screen_->w; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * screen_->w + x);
            if (before[at] != after[at]) {
                ++(box.contains(x, y) ? inside : outside);
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, box.width * box.height * 9 / 10) << "the box is opaque";

    // Every cell and button lies within the box.
    for (const NewGamePanel::Cell& cell : panel.cells()) {
        EXPECT_TRUE(
            box.contains(cell.box.left, cell.box.top) &&
            box.contains(cell.box.left + cell.box.width - 1, cell.box.top + cell.box.height - 1))
            << cell.label;
    }
}

TEST_F(PanelDrawing, LightsTheChosenCellsOnly) {
    NewGamePanel panel;
    GameChoice game = computerGame();
    game.timeControl = kTenMinutes;
    game.handicap = "香落ち";
    panel.open(game, std::nullopt);
    panel.draw(screen_);
    int litCells = 0;
    for (const NewGamePanel::Cell& cell : panel.cells()) {
        EXPECT_EQ(lit(cell), panel.chosen(cell)) << cell.label;
        litCells += lit(cell) ? 1 : 0;
    }
    EXPECT_EQ(litCells, 6) << "one in each row";
}

TEST_F(PanelDrawing, RowsThatDoNotApplyShowNoCells) {
    NewGamePanel panel;
    panel.open(GameChoice{}, std::nullopt);
    panel.draw(screen_);
    EXPECT_TRUE(cellDrawn(*panel.cellOf(Row::Rules, 1)));
    for (const Row row : {Row::Level, Row::Handicap, Row::Giver}) {
        for (int index = 0; index < 2; ++index) {
            const NewGamePanel::Cell* cell = panel.cellOf(row, index);
            ASSERT_NE(cell, nullptr);
            EXPECT_FALSE(cellDrawn(*cell) || lit(*cell)) << cell->label;
        }
    }
}

TEST_F(PanelDrawing, AClosedPanelDrawsNothing) {
    NewGamePanel panel;
    panel.open(GameChoice{}, std::nullopt);
    press(panel, SDLK_ESCAPE);
    const std::vector<Uint16> before = pixels();
    panel.draw(screen_);
    EXPECT_EQ(pixels(), before);
}

}  // namespace
}  // namespace ixo::test
