#include "clock/game_clock.h"

#include <algorithm>
#include <cctype>

namespace ixo {

bool parseDuration(const std::string& text, std::int64_t& ms) {
    // A day is more than any game's main time; beyond it is a slip of the keyboard.
    constexpr std::int64_t kLongestMs = 24LL * 60 * 60 * 1000;
    if (text.empty()) {
        return false;
    }
    std::int64_t total = 0;
    std::size_t index = 0;
    int lastUnitRank = 4;  // h, m, s must come in that order, each once
    while (index < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[index]))) {
            return false;
        }
        std::int64_t number = 0;
        while (index < text.size() && std::isdigit(static_cast<unsigned char>(text[index]))) {
            number = number * 10 + (text[index] - '0');
            if (number > kLongestMs) {
                return false;
            }
            ++index;
        }
        // A bare number is seconds, also after another unit: "1m30" is 1m30s.
        std::int64_t unitMs = 1000;
        int rank = 1;
        if (index < text.size()) {
            const char unit = text[index++];
            if (unit == 'h') {
                unitMs = 60 * 60 * 1000;
                rank = 3;
            } else if (unit == 'm') {
                unitMs = 60 * 1000;
                rank = 2;
            } else if (unit != 's') {
                return false;
            }
        }
        if (rank >= lastUnitRank) {
            return false;
        }
        lastUnitRank = rank;
        total += number * unitMs;
        if (total > kLongestMs) {
            return false;
        }
    }
    ms = total;
    return true;
}

GameClock::GameClock(TimeControl control) : control_(control) {
    mainLeft_ = {control.mainMs, control.mainMs};
}

void GameClock::start(int side, std::int64_t nowMs) {
    started_ = true;
    paused_ = false;
    side_ = side;
    turnStart_ = nowMs;
    spentBefore_ = 0;
}

std::int64_t GameClock::elapsed(std::int64_t nowMs) const {
    if (!started_) {
        return 0;
    }
    return spentBefore_ + (paused_ ? 0 : std::max<std::int64_t>(nowMs - turnStart_, 0));
}

MoveTime GameClock::moveMade(std::int64_t nowMs) {
    return charge(elapsed(nowMs), nowMs);
}

MoveTime GameClock::charge(std::int64_t usedMs, std::int64_t nowMs) {
    MoveTime cost;
    cost.usedMs = usedMs;
    // The last millisecond is still in time, as for outOfTime.
    cost.inTime = !control_.limited() || usedMs <= mainLeft_[side_] + control_.byoyomiMs;
    used_[side_] += cost.usedMs;
    cost.totalMs = used_[side_];
    std::int64_t& main = mainLeft_[side_];
    if (control_.limited()) {
        // Byoyomi is used only past the main time and comes back whole for the next move;
        // an increment is earned only by a move made in time.
        main = std::max<std::int64_t>(main - cost.usedMs, 0);
        if (cost.inTime) {
            main += control_.incrementMs;
        }
    }
    const bool wasPaused = paused_;
    start(1 - side_, nowMs);
    paused_ = wasPaused;
    return cost;
}

TimeLeft GameClock::left(int side, std::int64_t nowMs) const {
    TimeLeft time;
    if (!control_.limited()) {
        return time;
    }
    const std::int64_t spent = side == side_ ? elapsed(nowMs) : 0;
    time.mainMs = std::max<std::int64_t>(mainLeft_[side] - spent, 0);
    const std::int64_t intoByoyomi = std::max<std::int64_t>(spent - mainLeft_[side], 0);
    time.byoyomiMs = std::max<std::int64_t>(control_.byoyomiMs - intoByoyomi, 0);
    return time;
}

std::int64_t GameClock::totalUsed(int side, std::int64_t nowMs) const {
    return used_[side] + (side == side_ ? elapsed(nowMs) : 0);
}

int GameClock::outOfTime(std::int64_t nowMs) const {
    if (!control_.limited() || !started_) {
        return -1;
    }
    // The last millisecond is still in time: the flag falls once it is past.
    return elapsed(nowMs) > mainLeft_[side_] + control_.byoyomiMs ? side_ : -1;
}

void GameClock::pause(std::int64_t nowMs) {
    if (!started_ || paused_) {
        return;
    }
    spentBefore_ = elapsed(nowMs);
    paused_ = true;
}

void GameClock::resume(std::int64_t nowMs) {
    if (!paused_) {
        return;
    }
    paused_ = false;
    turnStart_ = nowMs;
}

std::int64_t GameClock::msUntilChange(std::int64_t nowMs) const {
    if (!control_.limited() || !started_ || paused_ || outOfTime(nowMs) >= 0) {
        return -1;
    }
    const TimeLeft time = left(side_, nowMs);
    const std::int64_t counting = time.mainMs > 0 ? time.mainMs : time.byoyomiMs;
    if (counting == 0) {
        // At zero exactly: the flag falls one millisecond on.
        return 1;
    }
    const std::int64_t toNextSecond = counting % 1000;
    return toNextSecond == 0 ? 1000 : toNextSecond;
}

}  // namespace ixo
