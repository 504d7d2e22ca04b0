#include "clock/clock_face.h"

#include <gtest/gtest.h>

namespace ixo {
namespace {

using Face = std::array<std::string, 2>;

TEST(ClockFace, ShowsWholeSecondsRoundedUpAndHoursOnlyWhereTheSecondsWouldNotFit) {
    const TimeControl suddenDeath{600000, 0, 0};
    EXPECT_EQ(clockFace(suddenDeath, TimeLeft{600000, 0}), (Face{"10:00", ""}));
    // A clock with 0.4 s left still has time, so it shows a second, not none.
    EXPECT_EQ(clockFace(suddenDeath, TimeLeft{400, 0}), (Face{"0:01", ""}));
    EXPECT_EQ(clockFace(suddenDeath, TimeLeft{0, 0}), (Face{"0:00", ""}));
    EXPECT_EQ(clockFace(suddenDeath, TimeLeft{99 * 60000 + 59000, 0}), (Face{"99:59", ""}));
    EXPECT_EQ(clockFace(suddenDeath, TimeLeft{100 * 60000, 0}), (Face{"1h40", ""}));
    EXPECT_EQ(clockFace(TimeControl{0, 30000, 0}, TimeLeft{0, 29001}), (Face{"0:00", "by 30"}));
    EXPECT_EQ(clockFace(TimeControl{60000, 0, 5000}, TimeLeft{60000, 0}), (Face{"1:00", "+5s"}));
}

}  // namespace
}  // namespace ixo
