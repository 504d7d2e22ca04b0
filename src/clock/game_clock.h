#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "shogi/move.h"

namespace ixo {

// "10m", "30s", "90" (seconds), "1h", "1m30s" into milliseconds. False on anything else,
// including a number too large to mean a game.
bool parseDuration(const std::string& text, std::int64_t& ms);

// Main time, then byoyomi (the same period again for every move) or an increment (added
// after every move in time). All zero: no limit, and the clock only measures.
struct TimeControl {
    std::int64_t mainMs = 0;
    std::int64_t byoyomiMs = 0;
    std::int64_t incrementMs = 0;

    bool limited() const { return mainMs > 0 || byoyomiMs > 0 || incrementMs > 0; }
};

// What one side has left. In byoyomi the main time is 0 and `byoyomiMs` counts down.
struct TimeLeft {
    std::int64_t mainMs = 0;
    std::int64_t byoyomiMs = 0;
    bool inByoyomi() const { return mainMs == 0 && byoyomiMs > 0; }
};

// Both sides' clocks. It is told the time by its caller and never reads a clock itself, so
// the game, its tests and its replays all see the same times. Side 0 is Blue, 1 Red.
class GameClock {
  public:
    explicit GameClock(TimeControl control = TimeControl{});

    const TimeControl& control() const { return control_; }

    // `side` is to move and its clock runs from nowMs.
    void start(int side, std::int64_t nowMs);
    bool started() const { return started_; }
    int sideToMove() const { return side_; }

    // The mover's move has arrived: its time is charged and the other side's clock runs.
    MoveTime moveMade(std::int64_t nowMs);
    // As moveMade, for a move whose time is already known (one replayed after a take-back,
    // one read from a record): the mover is charged `usedMs` whatever the time now.
    MoveTime charge(std::int64_t usedMs, std::int64_t nowMs);

    TimeLeft left(int side, std::int64_t nowMs) const;
    std::int64_t totalUsed(int side, std::int64_t nowMs) const;
    // The side whose time ran out, or -1. Only the side to move can run out.
    int outOfTime(std::int64_t nowMs) const;

    void pause(std::int64_t nowMs);
    void resume(std::int64_t nowMs);
    bool paused() const { return paused_; }

    // How long until what the screen shows (whole seconds, rounded up) changes or a flag
    // falls, so that a waiting loop wakes for that and nothing more; -1 when nothing counts.
    std::int64_t msUntilChange(std::int64_t nowMs) const;

  private:
    std::int64_t elapsed(std::int64_t nowMs) const;

    TimeControl control_;
    std::array<std::int64_t, 2> mainLeft_{};
    std::array<std::int64_t, 2> used_{};
    bool started_ = false;
    bool paused_ = false;
    int side_ = 0;
    std::int64_t turnStart_ = 0;    // when the mover's clock last started running
    std::int64_t spentBefore_ = 0;  // the mover's time this move before a pause
};

}  // namespace ixo
