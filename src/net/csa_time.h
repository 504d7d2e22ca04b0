#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ixo {

// A side's time control as a Game_Summary states it, turned into milliseconds. The server
// keeps the clock; what we hold is its account, charged with the times it sends back.
struct CsaTimeControl {
    std::int64_t unitMs = 1000;  // Time_Unit: "1sec", "1min", "100msec"
    std::int64_t totalMs = 0;
    std::int64_t byoyomiMs = 0;
    std::int64_t incrementMs = 0;
    std::int64_t leastMs = 0;  // Least_Time_Per_Move: no move is charged less
    bool roundUp = false;      // Time_Roundup: a part unit counts whole, rather than not at all

    // What the server will charge for a move thought over for `elapsedMs`: whole units, a
    // part unit dropped (or counted whole with Time_Roundup), never less than the least time.
    std::int64_t chargeFor(std::int64_t elapsedMs) const;
    // Whether a game under this control can be lost on time at all.
    bool limited() const { return totalMs > 0 || byoyomiMs > 0 || incrementMs > 0; }
};

// Reads a Time_Unit value; false for anything but a positive count of msec, sec or min.
bool parseCsaTimeUnit(const std::string& text, std::int64_t& unitMs);

// Both sides' time as the server charges it: each move's time comes off the mover's total,
// the increment goes on, and time beyond the total is byoyomi, which leaves the total at
// zero and is whole again for the next move.
class CsaClock {
  public:
    void start(const std::array<CsaTimeControl, 2>& controls);
    // Charges `units` of the server's Time_Unit to `side`; returns the milliseconds.
    std::int64_t charge(int side, std::int64_t units);
    std::int64_t remainingMs(int side) const { return remainingMs_[side]; }
    // What `side` may still think on its next move: its total, increment and byoyomi.
    std::int64_t budgetMs(int side) const;
    const CsaTimeControl& control(int side) const { return controls_[side]; }

  private:
    std::array<CsaTimeControl, 2> controls_{};
    std::array<std::int64_t, 2> remainingMs_{};
};

}  // namespace ixo
