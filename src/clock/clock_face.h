#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "clock/game_clock.h"

namespace ixo {

// What one side's clock shows, in two short lines that fit beside the board: the main time
// ("9:59", or "1h40" from 100 minutes up, where the seconds would not fit), and under it the
// byoyomi ("by 30", counting down once the main time is spent) or the increment ("+10s").
// Whole seconds, rounded up, as GameClock::msUntilChange counts them: a clock at 0.4 s
// still has time, so it must not show none.
std::array<std::string, 2> clockFace(const TimeControl& control, const TimeLeft& left);

}  // namespace ixo
