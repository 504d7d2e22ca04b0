#include "game/new_game_panel.h"

#include <algorithm>
#include <cstring>

#include "engine/usi_commands.h"
#include "media/text.h"
#include "shogi/handicaps.h"
#include "util/format.h"

namespace ixo {

namespace {

// The font's cells are 16 x 32 with their ink in rows 1 to 19 and the left 12 columns, 10
// pixels apart; a line of n characters inks 10n + 2 pixels across.
constexpr int kAdvance = 10;
constexpr int kInkRows = 20;

constexpr int kFrameHeight = 600;
constexpr int kPanelWidth = 720;
constexpr int kPadding = 16;
constexpr int kLabelWidth = 112;  // "Handicap", the longest row name, and a gap
constexpr int kCellHeight = 28;
constexpr int kLinePitch = 34;
constexpr int kRowGap = 6;
constexpr int kCellGap = 8;
constexpr int kTitleHeight = 44;
constexpr int kButtonHeight = 32;
// The opponent cell for a game on the server, after the three of a game here.
constexpr int kServerOpponent = 3;

// The frame's own colours: its dark blue ground, the kaya of the board for the frame and the
// buttons, and the green of a lit square, laid over a cell as the highlight picture is laid
// over the board.
struct Rgb {
    Uint8 r, g, b;
};
constexpr Rgb kGround{28, 32, 42};
constexpr Rgb kKaya{220, 169, 90};
constexpr Rgb kCellFill{48, 54, 68};
constexpr Rgb kCellEdge{96, 104, 120};
constexpr Rgb kLitFill{53, 109, 84};
constexpr Rgb kLitEdge{144, 251, 166};
constexpr Rgb kButtonFill{92, 70, 40};

// The usual clocks, the first being none at all.
const TimeControl kClocks[] = {
    {},
    {600000, 30000, 0},
    {180000, 0, 2000},
    {0, 30000, 0},
};

// The font holds the characters of KIF moves only, not 落, ち, 右 or 左, so the handicaps are
// named in words here; a name without words shows as KIF gives it.
struct HandicapWords {
    const char* kif;
    const char* words;
};
const HandicapWords kHandicapWords[] = {
    {"香落ち", "Lance"},       {"右香落ち", "Right lance"}, {"角落ち", "Bishop"},
    {"飛車落ち", "Rook"},      {"飛香落ち", "Rook+lance"},  {"二枚落ち", "2 pieces"},
    {"三枚落ち", "3 pieces"},  {"四枚落ち", "4 pieces"},    {"五枚落ち", "5 pieces"},
    {"左五枚落ち", "Left 5"},  {"六枚落ち", "6 pieces"},    {"左七枚落ち", "Left 7"},
    {"右七枚落ち", "Right 7"}, {"八枚落ち", "8 pieces"},    {"十枚落ち", "10 pieces"},
};

std::string handicapLabel(const std::string& name) {
    if (name.empty()) {
        return "Even";
    }
    for (const HandicapWords& words : kHandicapWords) {
        if (name == words.kif) {
            return words.words;
        }
    }
    return name;
}

bool sameClock(const TimeControl& a, const TimeControl& b) {
    return a.mainMs == b.mainMs && a.byoyomiMs == b.byoyomiMs && a.incrementMs == b.incrementMs;
}

std::string duration(std::int64_t ms) {
    if (ms % 60000 == 0) {
        return formatString("%lldm", static_cast<long long>(ms / 60000));
    }
    if (ms % 1000 == 0) {
        return formatString("%llds", static_cast<long long>(ms / 1000));
    }
    return formatString("%.1fs", static_cast<double>(ms) / 1000.0);
}

int textWidth(const std::string& text) {
    return kAdvance * static_cast<int>(text.size()) + 2;
}

Uint32 mapped(SDL_Surface* screen, Rgb colour) {
    return SDL_MapRGB(screen->format, colour.r, colour.g, colour.b);
}

void fill(SDL_Surface* screen, const Box& box, Rgb colour) {
    SDL_Rect rect{static_cast<Sint16>(box.left), static_cast<Sint16>(box.top),
                  static_cast<Uint16>(box.width), static_cast<Uint16>(box.height)};
    SDL_FillRect(screen, &rect, mapped(screen, colour));
}

// A filled box with an edge `thickness` pixels wide inside it.
void framed(SDL_Surface* screen, const Box& box, Rgb edge, Rgb inside, int thickness) {
    fill(screen, box, edge);
    fill(screen,
         Box{box.left + thickness, box.top + thickness, box.width - 2 * thickness,
             box.height - 2 * thickness},
         inside);
}

// Text with its ink centred in `box`.
void centredText(SDL_Surface* screen, const Box& box, const std::string& text) {
    drawText(screen, box.left + (box.width - textWidth(text)) / 2,
             box.top + (box.height - kInkRows) / 2, "%s", text.c_str());
}

// Greys what is drawn in `box` by laying the ground half over it: the font is white only.
void dim(SDL_Surface* screen, const Box& box) {
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* veil =
        SDL_CreateRGBSurface(SDL_SWSURFACE, box.width, box.height, format->BitsPerPixel,
                             format->Rmask, format->Gmask, format->Bmask, format->Amask);
    if (!veil) {
        return;
    }
    SDL_FillRect(veil, nullptr, SDL_MapRGB(veil->format, kGround.r, kGround.g, kGround.b));
    SDL_SetAlpha(veil, SDL_SRCALPHA, 150);
    SDL_Rect at{static_cast<Sint16>(box.left), static_cast<Sint16>(box.top), 0, 0};
    SDL_BlitSurface(veil, nullptr, screen, &at);
    SDL_FreeSurface(veil);
}

const char* rowName(NewGamePanel::Row row) {
    switch (row) {
        case NewGamePanel::Row::Rules:
            return "Rules";
        case NewGamePanel::Row::Opponent:
            return "Opponent";
        case NewGamePanel::Row::Level:
            return "Level";
        case NewGamePanel::Row::Clock:
            return "Clock";
        case NewGamePanel::Row::Handicap:
            return "Handicap";
        case NewGamePanel::Row::Giver:
            return "Giver";
        case NewGamePanel::Row::Buttons:
            break;
    }
    return "";
}

}  // namespace

std::string clockLabel(const TimeControl& control) {
    if (!control.limited()) {
        return "None";
    }
    if (control.mainMs == 0 && control.incrementMs == 0) {
        return duration(control.byoyomiMs) + " a move";
    }
    std::string label;
    const auto add = [&label](const std::string& part) {
        label += (label.empty() ? "" : " + ") + part;
    };
    if (control.mainMs > 0) {
        add(duration(control.mainMs));
    }
    if (control.byoyomiMs > 0) {
        add("byo " + duration(control.byoyomiMs));
    }
    if (control.incrementMs > 0) {
        add("inc " + duration(control.incrementMs));
    }
    return label;
}

void NewGamePanel::open(const GameChoice& current, std::optional<TimeControl> commandLineClock,
                        bool serverOffered, bool onServer) {
    choice_ = current;
    serverOffered_ = serverOffered;
    serverChosen_ = onServer && serverOffered;
    clocks_.assign(std::begin(kClocks), std::end(kClocks));
    // The game on the board keeps its own clock on offer even when it is none of the usual
    // ones (a remembered game started with --clock), so opening and starting changes nothing.
    for (const std::optional<TimeControl>& extra :
         {commandLineClock, std::optional<TimeControl>(current.timeControl)}) {
        if (extra && extra->limited() &&
            std::none_of(clocks_.begin(), clocks_.end(),
                         [&](const TimeControl& known) { return sameClock(known, *extra); })) {
            clocks_.push_back(*extra);
        }
    }
    handicaps_.assign(1, "");
    for (const std::string& name : handicapNames()) {
        handicaps_.push_back(name);
    }
    if (std::find(handicaps_.begin(), handicaps_.end(), current.handicap) == handicaps_.end()) {
        handicaps_.push_back(current.handicap);
    }
    layOut();
    open_ = true;
}

void NewGamePanel::layOut() {
    std::vector<std::pair<Row, std::vector<std::string>>> rows;
    rows.push_back({Row::Rules, {"Simple", "Standard"}});
    std::vector<std::string> opponents{"Two players", "Computer is Red", "Computer is Blue"};
    if (serverOffered_) {
        opponents.push_back("On the server");
    }
    rows.push_back({Row::Opponent, opponents});
    std::vector<std::string> levels;
    for (int level = kMinLevel; level <= kMaxLevel; ++level) {
        levels.push_back(formatString("%d", level));
    }
    rows.push_back({Row::Level, levels});
    std::vector<std::string> clocks;
    for (const TimeControl& control : clocks_) {
        clocks.push_back(clockLabel(control));
    }
    rows.push_back({Row::Clock, clocks});
    std::vector<std::string> handicaps;
    for (const std::string& name : handicaps_) {
        handicaps.push_back(handicapLabel(name));
    }
    rows.push_back({Row::Handicap, handicaps});
    rows.push_back({Row::Giver, {"Computer", "You"}});

    // Laid out from the panel's own top-left corner, then moved to the frame's centre once
    // its height is known.
    cells_.clear();
    rowTops_.clear();
    const int cellsLeft = kPadding + kLabelWidth;
    const int cellsRight = kPanelWidth - kPadding;
    int y = kTitleHeight;
    for (const auto& [row, labels] : rows) {
        rowTops_.push_back({row, y});
        int x = cellsLeft;
        for (std::size_t index = 0; index < labels.size(); ++index) {
            // Levels are all as wide, so their cells read as one scale.
            const int width = row == Row::Level ? 40 : textWidth(labels[index]) + 16;
            if (x > cellsLeft && x + width > cellsRight) {
                x = cellsLeft;
                y += kLinePitch;
            }
            cells_.push_back(
                Cell{row, static_cast<int>(index), labels[index], Box{x, y, width, kCellHeight}});
            x += width + kCellGap;
        }
        y += kLinePitch + kRowGap;
    }
    y += kRowGap;
    const int cancelWidth = textWidth("Cancel") + 32;
    const int startWidth = textWidth("Start") + 32;
    const Box cancel{cellsRight - cancelWidth, y, cancelWidth, kButtonHeight};
    cells_.push_back(Cell{Row::Buttons, 1, "Cancel", cancel});
    cells_.push_back(
        Cell{Row::Buttons, 0, "Start",
             Box{cancel.left - kCellGap * 2 - startWidth, y, startWidth, kButtonHeight}});
    const int height = y + kButtonHeight + kPadding;

    box_ = Box{(kWindowWidth - kPanelWidth) / 2, (kFrameHeight - height) / 2, kPanelWidth, height};
    for (Cell& cell : cells_) {
        cell.box.left += box_.left;
        cell.box.top += box_.top;
    }
    for (auto& [row, top] : rowTops_) {
        top += box_.top;
    }
}

bool NewGamePanel::applies(Row row) const {
    if (serverChosen_) {
        // The server sets the rules, the sides and the clock.
        return row == Row::Opponent || row == Row::Buttons;
    }
    switch (row) {
        case Row::Level:
            return choice_.computerSide != -1;
        case Row::Handicap:
            return choice_.rules == RuleSet::Standard;
        case Row::Giver:
            return choice_.rules == RuleSet::Standard && !choice_.handicap.empty() &&
                   choice_.computerSide != -1;
        default:
            return true;
    }
}

bool NewGamePanel::chosen(const Cell& cell) const {
    switch (cell.row) {
        case Row::Rules:
            return (cell.index == 1) == (choice_.rules == RuleSet::Standard);
        case Row::Opponent:
            if (serverChosen_) {
                return cell.index == kServerOpponent;
            }
            return cell.index == (choice_.computerSide == -1  ? 0
                                  : choice_.computerSide == 1 ? 1
                                                              : 2);
        case Row::Level:
            return cell.index + kMinLevel == choice_.level;
        case Row::Clock:
            return sameClock(clocks_[cell.index], choice_.timeControl);
        case Row::Handicap:
            return handicaps_[cell.index] == choice_.handicap;
        case Row::Giver:
            // The handicap positions put the giver at the top, as Red.
            return (cell.index == 0) == (choice_.computerSide == 1);
        case Row::Buttons:
            break;
    }
    return false;
}

const NewGamePanel::Cell* NewGamePanel::cellOf(Row row, int index) const {
    for (const Cell& cell : cells_) {
        if (cell.row == row && cell.index == index) {
            return &cell;
        }
    }
    return nullptr;
}

void NewGamePanel::setLevel(int level) {
    if (choice_.computerSide != -1) {
        choice_.level = std::clamp(level, kMinLevel, kMaxLevel);
    }
}

void NewGamePanel::choose(const Cell& cell) {
    switch (cell.row) {
        case Row::Rules:
            choice_.rules = cell.index == 1 ? RuleSet::Standard : RuleSet::Simple;
            break;
        case Row::Opponent:
            serverChosen_ = cell.index == kServerOpponent;
            if (!serverChosen_) {
                choice_.computerSide = cell.index == 0 ? -1 : cell.index == 1 ? 1 : 0;
            }
            break;
        case Row::Level:
            setLevel(cell.index + kMinLevel);
            break;
        case Row::Clock:
            choice_.timeControl = clocks_[cell.index];
            break;
        case Row::Handicap:
            choice_.handicap = handicaps_[cell.index];
            break;
        case Row::Giver:
            choice_.computerSide = cell.index == 0 ? 1 : 0;
            break;
        case Row::Buttons:
            break;
    }
}

GameChoice NewGamePanel::started() const {
    // A handicap is kept while the player tries the simple rules and back, but a simple game
    // never starts with one.
    GameChoice game = choice_;
    if (game.rules != RuleSet::Standard) {
        game.handicap.clear();
    }
    return game;
}

NewGamePanel::Result NewGamePanel::handle(const Mouse& mouse, const Keyboard& keyboard) {
    if (!open_) {
        return Result::None;
    }
    if (keyboard.presses(SDLK_ESCAPE) > 0 || mouse.rightReleased()) {
        open_ = false;
        return Result::Close;
    }
    if (keyboard.presses(SDLK_RETURN) > 0 || keyboard.presses(SDLK_KP_ENTER) > 0) {
        choice_ = started();
        open_ = false;
        return Result::Start;
    }
    // Digits 1 to 9 and 0 for 10, as the level cells read.
    for (int digit = 0; digit <= 9; ++digit) {
        if (keyboard.presses(static_cast<SDLKey>(SDLK_0 + digit)) > 0 ||
            keyboard.presses(static_cast<SDLKey>(SDLK_KP0 + digit)) > 0) {
            setLevel(digit == 0 ? 10 : digit);
        }
    }
    for (const SDLKey key : {SDLK_MINUS, SDLK_KP_MINUS}) {
        setLevel(choice_.level - keyboard.presses(key));
    }
    for (const SDLKey key : {SDLK_PLUS, SDLK_EQUALS, SDLK_KP_PLUS}) {
        setLevel(choice_.level + keyboard.presses(key));
    }

    if (!mouse.leftReleased()) {
        return Result::None;
    }
    for (const Cell& cell : cells_) {
        if (!cell.box.contains(mouse.x, mouse.y) || !applies(cell.row)) {
            continue;
        }
        if (cell.row == Row::Buttons) {
            open_ = false;
            if (cell.index == 0) {
                choice_ = started();
                return Result::Start;
            }
            return Result::Close;
        }
        choose(cell);
        break;
    }
    return Result::None;
}

void NewGamePanel::draw(SDL_Surface* screen) const {
    if (!open_ || !screen) {
        return;
    }
    SDL_Rect clip;
    SDL_GetClipRect(screen, &clip);
    SDL_Rect inside{static_cast<Sint16>(box_.left), static_cast<Sint16>(box_.top),
                    static_cast<Uint16>(box_.width), static_cast<Uint16>(box_.height)};
    // Text is positioned by its cell, whose transparent edges may reach past the box.
    SDL_SetClipRect(screen, &inside);

    framed(screen, box_, kKaya, kGround, 2);
    drawText(screen, box_.left + kPadding, box_.top + 12, "New game");
    const char* keys = "Enter starts, Esc cancels";
    drawText(screen, box_.left + box_.width - kPadding - textWidth(keys), box_.top + 12, "%s",
             keys);

    for (const auto& [row, top] : rowTops_) {
        drawText(screen, box_.left + kPadding, top + (kCellHeight - kInkRows) / 2, "%s",
                 rowName(row));
        if (applies(row)) {
            continue;
        }
        const char* why = serverChosen_          ? "as the server decides"
                          : row == Row::Level    ? "against the computer only"
                          : row == Row::Handicap ? "standard rules only"
                          : choice_.computerSide == -1 && choice_.rules == RuleSet::Standard &&
                                  !choice_.handicap.empty()
                              ? "Red, at the top"
                              : "with a handicap only";
        const int left = box_.left + kPadding + kLabelWidth;
        drawText(screen, left, top + (kCellHeight - kInkRows) / 2, "%s", why);
        dim(screen, Box{box_.left + kPadding, top, box_.width - 2 * kPadding, kCellHeight});
    }

    for (const Cell& cell : cells_) {
        if (!applies(cell.row)) {
            continue;
        }
        if (cell.row == Row::Buttons) {
            framed(screen, cell.box, kKaya, kButtonFill, 2);
        } else if (chosen(cell)) {
            framed(screen, cell.box, kLitEdge, kLitFill, 2);
        } else {
            framed(screen, cell.box, kCellEdge, kCellFill, 1);
        }
        centredText(screen, cell.box, cell.label);
    }
    SDL_SetClipRect(screen, &clip);
}

}  // namespace ixo
