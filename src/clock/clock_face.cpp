#include "clock/clock_face.h"

#include <cstdio>

namespace ixo {

namespace {

std::int64_t wholeSeconds(std::int64_t ms) {
    return ms <= 0 ? 0 : (ms + 999) / 1000;
}

}  // namespace

std::array<std::string, 2> clockFace(const TimeControl& control, const TimeLeft& left) {
    char main[24];
    const std::int64_t seconds = wholeSeconds(left.mainMs);
    if (seconds >= 100 * 60) {
        std::snprintf(main, sizeof main, "%lldh%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds % 3600 / 60));
    } else {
        std::snprintf(main, sizeof main, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    char period[24] = "";
    if (control.byoyomiMs > 0) {
        std::snprintf(period, sizeof period, "by %lld",
                      static_cast<long long>(wholeSeconds(left.byoyomiMs)));
    } else if (control.incrementMs > 0) {
        std::snprintf(period, sizeof period, "+%llds",
                      static_cast<long long>(wholeSeconds(control.incrementMs)));
    }
    return {main, period};
}

}  // namespace ixo
