#include <gtest/gtest.h>

#include "shogi/perft.h"
#include "shogi/standard_position.h"

namespace ixo {
namespace {

// Counts published for these positions and matched by other generators; the deeper ones run
// in bench/perft.sh, which also times them.
TEST(Perft, MatchesThePublishedCountsFromTheStart) {
    const std::uint64_t published[] = {30, 900, 25470, 719731};
    for (int depth = 1; depth <= 4; ++depth) {
        EXPECT_EQ(perft(Position::start(), depth), published[depth - 1]) << depth;
    }
}

TEST(Perft, MatchesThePublishedCountsInAPositionFullOfDrops) {
    const Position position =
        sfen("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1");
    const std::uint64_t published[] = {207, 28684, 4809015};
    for (int depth = 1; depth <= 3; ++depth) {
        EXPECT_EQ(perft(position, depth), published[depth - 1]) << depth;
    }
}

TEST(Perft, DivideSplitsTheSameCountByFirstMove) {
    const auto split = perftDivide(Position::start(), 2);
    ASSERT_EQ(split.size(), 30u);
    std::uint64_t total = 0;
    for (const auto& [move, count] : split) {
        EXPECT_EQ(count, 30u) << usiMove(move);  // no first move reaches Red
        total += count;
    }
    EXPECT_EQ(total, 900u);
}

}  // namespace
}  // namespace ixo
