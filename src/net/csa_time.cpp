#include "net/csa_time.h"

#include <limits>

namespace ixo {

namespace {

// Far beyond any game, and far enough from the int64 limit that sums cannot overflow.
constexpr std::int64_t kLongestMs = std::numeric_limits<std::int64_t>::max() / 8;

}  // namespace

std::int64_t CsaTimeControl::chargeFor(std::int64_t elapsedMs) const {
    if (elapsedMs < 0) {
        elapsedMs = 0;
    }
    std::int64_t units = elapsedMs / unitMs;
    if (roundUp && elapsedMs % unitMs != 0) {
        ++units;
    }
    const std::int64_t charged = units * unitMs;
    return charged < leastMs ? leastMs : charged;
}

bool parseCsaTimeUnit(const std::string& text, std::int64_t& unitMs) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    const std::int64_t count = std::stoll(text.substr(0, digits));
    const std::string unit = text.substr(digits);
    std::int64_t scale = 0;
    if (unit == "msec") {
        scale = 1;
    } else if (unit == "sec") {
        scale = 1000;
    } else if (unit == "min") {
        scale = 60000;
    }
    // An hour is already beyond any unit a server uses; more would only risk overflow.
    constexpr std::int64_t kLongestUnitMs = 3600 * 1000;
    if (scale == 0 || count <= 0 || count * scale > kLongestUnitMs) {
        return false;
    }
    unitMs = count * scale;
    return true;
}

void CsaClock::start(const std::array<CsaTimeControl, 2>& controls) {
    controls_ = controls;
    remainingMs_ = {controls[0].totalMs, controls[1].totalMs};
}

std::int64_t CsaClock::charge(int side, std::int64_t units) {
    const CsaTimeControl& control = controls_[side];
    if (units < 0) {
        units = 0;
    }
    if (units > kLongestMs / control.unitMs) {
        units = kLongestMs / control.unitMs;
    }
    const std::int64_t usedMs = units * control.unitMs;
    const std::int64_t left = remainingMs_[side] + control.incrementMs - usedMs;
    // Past zero the move was paid from byoyomi, which does not carry over.
    remainingMs_[side] = left > 0 ? left : 0;
    return usedMs;
}

std::int64_t CsaClock::budgetMs(int side) const {
    const CsaTimeControl& control = controls_[side];
    return remainingMs_[side] + control.incrementMs + control.byoyomiMs;
}

}  // namespace ixo
